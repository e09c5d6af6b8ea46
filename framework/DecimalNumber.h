#pragma once
// The runtime library's wide decimal conversion, one rule for every number the program reads
// from text: the build-time settings, the payload manifest's ids and sizes, .NET versions.
#include <cstdint>
#include <string>

// Parses `text` as a signed decimal integer: leading white space and one sign are accepted,
// parsing stops at the first character that is not a digit, and a text without digits gives 0
// (so a missing entry, read as empty, gives 0). Values beyond the 32-bit range are held at its
// ends rather than wrapped, so a huge number never turns into a small or negative one.
int32_t ParseDecimalNumber(const std::wstring& text);
