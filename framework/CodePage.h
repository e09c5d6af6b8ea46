#pragma once
// Conversions between wide text and the calling thread's ANSI code page.
#include <string>

// Wide text to the thread's ANSI code page; characters it cannot hold become its default character.
std::string ToThreadAnsi(const std::wstring& text);
// Bytes in the thread's ANSI code page to wide text.
std::wstring FromThreadAnsi(const char* bytes, size_t length);
inline std::wstring FromThreadAnsi(const std::string& bytes) { return FromThreadAnsi(bytes.data(), bytes.size()); }
