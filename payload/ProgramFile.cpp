#include "payload/ProgramFile.h"

namespace {
// Only ASCII letters can fold onto ".exe", so ASCII folding finds exactly what a full
// lower-casing would.
wchar_t ToLowerAscii(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}
} // namespace

bool IsProgramFile(const CResource& resource)
{
    std::wstring name = resource.m_strFileName;
    for (wchar_t& c : name)
        c = ToLowerAscii(c);
    const size_t found = name.find(L".exe");
    return found != std::wstring::npos && found > 0;
}
