// Conversions between the encodings the packer meets: UTF-8 on the command line and in file
// names, UTF-16 in the string table, Windows-1252 in the manifest.
#pragma once

#include <string>

namespace brennix::pack {

// Decodes UTF-8 text into code points. Returns false for malformed UTF-8 (overlong forms,
// surrogates, values above U+10FFFF, truncated sequences).
bool DecodeUtf8(const std::string& text, std::u32string& codePoints);

// UTF-16 form of code points, which DecodeUtf8 guarantees are valid scalar values.
std::u16string EncodeUtf16(const std::u32string& codePoints);

// The platform's wide form of code points: UTF-16 where wchar_t has 16 bits, else UTF-32.
std::wstring ToWide(const std::u32string& codePoints);

// UTF-8 form of zero-terminated UTF-16 text; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const char16_t* text);

// Windows-1252 form of code points. Returns false, with the first code point it has no byte for
// in unencodable, when any code point is outside the code page.
bool EncodeWindows1252(const std::u32string& codePoints, std::string& bytes, char32_t& unencodable);

// "U+00E9" style name of a code point, for messages.
std::string DescribeCodePoint(char32_t codePoint);

}  // namespace brennix::pack
