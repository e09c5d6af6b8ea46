#include "payload/RelativeName.h"

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
bool IsDotsOnly(const std::wstring& name, size_t begin, size_t end)
{
    if (begin == end)
        return false;
    for (size_t i = begin; i < end; ++i) {
        if (name[i] != L'.' && name[i] != L' ')
            return false;
    }
    return true;
}

} // namespace

bool IsNameInsideFolder(const std::wstring& name)
{
    if (name.empty() || IsSeparator(name[0]))
        return false;
    size_t elementStart = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !IsSeparator(name[i])) {
            if (IsForbidden(name[i]))
                return false;
            continue;
        }
        if (IsDotsOnly(name, elementStart, i))
            return false;
        elementStart = i + 1;
    }
    return true;
}
