#include "app/CommandLineInfoEx.h"

#include <algorithm>

namespace {

// The keywords that take the next argument as their value.
constexpr const wchar_t* kValueKeywords[] = {L"temp", L"extract", L"log", L"products"};
constexpr wchar_t kQuotedPropertyStart[] = L"CFU=\"";

wchar_t FoldAscii(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// The names compared here are all ASCII; other characters compare exactly.
bool EqualsNoCase(const std::wstring& text, const wchar_t* other)
{
    size_t i = 0;
    for (; i < text.size() && other[i] != L'\0'; ++i) {
        if (FoldAscii(text[i]) != FoldAscii(other[i]))
            return false;
    }
    return i == text.size() && other[i] == L'\0';
}

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix)
{
    for (size_t i = 0; prefix[i] != L'\0'; ++i) {
        if (i >= text.size() || FoldAscii(text[i]) != FoldAscii(prefix[i]))
            return false;
    }
    return true;
}

bool IsValueKeyword(const std::wstring& word)
{
    return std::any_of(std::begin(kValueKeywords), std::end(kValueKeywords),
                       [&](const wchar_t* keyword) { return EqualsNoCase(word, keyword); });
}

// The runtime's splitting reads 2n backslashes before a double quote as n backslashes and the
// quote as the end of the value, so every trailing backslash is doubled.
std::wstring QuotableValue(const std::wstring& value)
{
    const size_t lastOther = value.find_last_not_of(L'\\');
    const size_t trailing = lastOther == std::wstring::npos ? value.size() : value.size() - lastOther - 1;
    return value + std::wstring(trailing, L'\\');
}

} // namespace

bool CSwitchMap::Lookup(const std::wstring& name, std::wstring& value) const
{
    for (const Entry& entry : m_entries) {
        if (entry.first == name) {
            value = entry.second;
            return true;
        }
    }
    return false;
}

bool CSwitchMap::Contains(const std::wstring& name) const
{
    std::wstring ignored;
    return Lookup(name, ignored);
}

void CSwitchMap::SetAt(const std::wstring& name, const std::wstring& value)
{
    for (Entry& entry : m_entries) {
        if (entry.first == name) {
            entry.second = value;
            return;
        }
    }
    m_entries.emplace_back(name, value);
}

void CSwitchMap::RemoveKey(const std::wstring& name)
{
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [&](const Entry& entry) { return entry.first == name; }),
                    m_entries.end());
}

void CCommandLineInfoEx::ParseParam(const wchar_t* param, bool isFlag, bool isLast)
{
    const std::wstring word = param != nullptr ? param : L"";
    if (isFlag) {
        m_mapSwitches.SetAt(word, L"TRUE");
        m_mapFlags.insert(word);
        m_strPendingSwitch.clear();
        return;
    }
    // As the last argument a keyword has no value to wait for: it is an ordinary word.
    if (IsValueKeyword(word) && !isLast && !m_bInQuote) {
        m_strPendingSwitch = word;
        return;
    }
    if (StartsWithNoCase(word, kQuotedPropertyStart)) {
        m_bInQuote = true;
        m_strQuoted.clear();
    }
    if (m_bInQuote) {
        if (!m_strQuoted.empty())
            m_strQuoted += L' ';
        m_strQuoted += word;
        if (!word.empty() && word.back() == L'"') {
            m_mapSwitches.SetAt(m_strQuoted, L"");
            m_bInQuote = false;
        }
        return;
    }
    if (!m_strPendingSwitch.empty())
        m_mapSwitches.SetAt(m_strPendingSwitch, word);
    else
        m_mapSwitches.SetAt(word, L"");
    m_strPendingSwitch.clear();
}

bool CCommandLineInfoEx::IsSwitchSet(const std::wstring& name) const
{
    std::wstring value;
    return m_mapSwitches.Lookup(name, value) && EqualsNoCase(value, L"TRUE");
}

void CCommandLineInfoEx::SetSwitchValue(const std::wstring& name, const std::wstring& value)
{
    m_mapSwitches.SetAt(name, value);
}

void CCommandLineInfoEx::BuildCommandLine(const std::wstring& programName, std::wstring& commandLine) const
{
    commandLine.clear();
    for (const CSwitchMap::Entry& entry : m_mapSwitches.Entries()) {
        const std::wstring& name = entry.first;
        const std::wstring& value = entry.second;
        if (EqualsNoCase(value, L"TRUE"))
            commandLine += L"/" + name + L" ";
        else if (value.empty())
            commandLine += name + L" ";
        else
            commandLine += L"/" + name + L" \"" + QuotableValue(value) + L"\" ";
    }
    commandLine += L"CV_I=\"" + QuotableValue(programName) + L"\" ";
}
