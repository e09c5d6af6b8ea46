#pragma once
// printf-style formatting with one fixed set of conventions on every toolchain:
// "%s" takes a wide string (const wchar_t*), "%d"/"%ld"/"%i" a 32-bit int, "%u" unsigned,
// "%I64d"/"%I64u"/"%lld" 64-bit ints, "%x"/"%X" hexadecimal (flags, width and "0" padding as
// in "%08x"; "%0x" is plain "%x"), "%p" a pointer as eight upper-case hex digits, "%f" with a
// precision ("%.1f"), "%c" a wide character and "%%". Unknown conversions are copied as written.
#include <cstdarg>
#include <string>

std::wstring FormatString(const wchar_t* format, ...);
std::wstring FormatStringV(const wchar_t* format, va_list args);
