#include "payload/RelativeName.h"

#include <cwctype>

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool IsForbidden(wchar_t c)
{
    return c < 0x20 || c == L':' || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*';
}

// An element that path normalisation may turn into "." or "..".
bool IsDotsOnly(const std::wstring& element)
{
    for (wchar_t c : element) {
        if (c != L'.' && c != L' ')
            return false;
    }
    return true;
}

// Names Windows resolves to a device in every folder. The digits include the superscripts
// one to three (Windows-1252 0xB9, 0xB2, 0xB3), which Windows also reads as COM and LPT ports.
bool IsDeviceBaseName(const std::wstring& base)
{
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kDevices) {
        if (base == device)
            return true;
    }
    if (base.size() != 4 || (base.compare(0, 3, L"COM") != 0 && base.compare(0, 3, L"LPT") != 0))
        return false;
    const wchar_t digit = base[3];
    return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

// An element Windows opens as a device: the part before its first dot, less trailing blanks,
// is a device name ("nul", "Con.txt", "LPT1 .log").
bool IsDeviceName(const std::wstring& element)
{
    std::wstring base = element.substr(0, element.find(L'.'));
    while (!base.empty() && base.back() == L' ')
        base.pop_back();
    for (wchar_t& c : base)
        c = static_cast<wchar_t>(std::towupper(c));
    return IsDeviceBaseName(base);
}

bool IsAcceptedElement(const std::wstring& element)
{
    return !element.empty() && !IsDotsOnly(element) && !IsDeviceName(element);
}

} // namespace

bool IsNameInsideFolder(const std::wstring& name)
{
    size_t elementStart = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !IsSeparator(name[i])) {
            if (IsForbidden(name[i]))
                return false;
            continue;
        }
        if (!IsAcceptedElement(name.substr(elementStart, i - elementStart)))
            return false;
        elementStart = i + 1;
    }
    return true;
}
