#pragma once
// printf-style formatting with one fixed set of conventions on every toolchain:
//   "%s" a wide string (const wchar_t*; null prints "(null)"), "%hs"/"%S" a narrow string whose
//   bytes are taken one to one (ASCII text), "%c" a wide character, "%hc"/"%C" a narrow one;
//   "%d"/"%i" and "%ld" a 32-bit int, "%u" unsigned, "%hd"/"%hu" 16-bit, "%I64d"/"%I64u"/"%lld"
//   64-bit; "%x"/"%X" hexadecimal ("%0x" is plain "%x", "%08x" zero-padded to 8);
//   "%p" a pointer as upper-case hex digits, two per byte; "%f", "%e", "%g" (and upper case)
//   with a precision ("%.1f"), rounded exactly; "%%".
// Flags "-", "0", "+", " ", "#" (the "0x" of "%#x"), a width and a precision (either may be
// "*") work as in C.
// Widths and precisions above 1024 count as 1024. An unknown conversion is copied as written
// and takes no argument.
#include <cstdarg>
#include <string>

// The formatted text.
std::wstring FormatString(const wchar_t* format, ...);
std::wstring FormatStringV(const wchar_t* format, va_list args);
