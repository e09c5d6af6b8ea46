#include "framework/TextCompare.h"

namespace {

wchar_t FoldAscii(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

} // namespace

bool EqualsNoCaseAscii(const std::wstring& text, const wchar_t* name)
{
    size_t i = 0;
    for (; i < text.size() && name[i] != L'\0'; ++i) {
        if (FoldAscii(text[i]) != FoldAscii(name[i]))
            return false;
    }
    return i == text.size() && name[i] == L'\0';
}

bool StartsWithNoCaseAscii(const std::wstring& text, const wchar_t* prefix)
{
    for (size_t i = 0; prefix[i] != L'\0'; ++i) {
        if (i >= text.size() || FoldAscii(text[i]) != FoldAscii(prefix[i]))
            return false;
    }
    return true;
}
