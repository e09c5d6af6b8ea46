#pragma once
// The shell's light-weight path calls, reached through the system-folder loader (the library
// is not on the known-DLL list). Each behaves as its shlwapi namesake; when the library cannot
// be loaded they fail (return FALSE) and leave their buffers unchanged.
#include <windows.h>

// Joins `more` to `path` (a buffer of MAX_PATH) with one backslash.
BOOL PathAppendSystem(wchar_t* path, const wchar_t* more);
// Cuts the last element off `path`.
BOOL PathRemoveFileSpecSystem(wchar_t* path);
// True when `path` (ANSI code page) names an existing folder.
BOOL PathIsDirectoryAnsiSystem(const char* path);
