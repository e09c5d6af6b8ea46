#include "framework/StringTable.h"

#include "framework/Format.h"

#include <windows.h>

bool TryLoadResString(unsigned id, std::wstring& text)
{
    // With a zero buffer size LoadStringW hands out a pointer into the resource itself, so
    // entries of any length load whole.
    const wchar_t* resource = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&resource), 0);
    if (length <= 0 || resource == nullptr)
        return false;
    text.assign(resource, length);
    return true;
}

std::wstring LoadResString(unsigned id)
{
    std::wstring text;
    TryLoadResString(id, text);
    return text;
}

std::wstring FormatResString(unsigned id, ...)
{
    const std::wstring format = LoadResString(id);
    va_list args;
    va_start(args, id);
    std::wstring result = FormatStringV(format.c_str(), args);
    va_end(args);
    return result;
}
