#pragma once
// Comparisons of text against the program's own ASCII names and keywords, ignoring the case of
// the letters A to Z only: the result never depends on the user's locale. Other characters
// compare exactly.
#include <string>

// True when `text` equals `name` ignoring ASCII case.
bool EqualsNoCaseAscii(const std::wstring& text, const wchar_t* name);

// True when `text` begins with `prefix` ignoring ASCII case.
bool StartsWithNoCaseAscii(const std::wstring& text, const wchar_t* prefix);
