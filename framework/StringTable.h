#pragma once
// The program's string table: user-visible texts and build-time settings by numeric id.
#include <string>

// Loads entry `id` of the running module's string table; a missing entry reads as empty.
std::wstring LoadResString(unsigned id);

// Loads entry `id`; false when the table has no such entry (an empty entry counts as missing).
bool TryLoadResString(unsigned id, std::wstring& text);

// Loads entry `id` and formats it printf-style (see Format.h) with the arguments given.
std::wstring FormatResString(unsigned id, ...);
