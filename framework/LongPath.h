#pragma once
// Paths longer than the platform's MAX_PATH, for the calls that open a file by name.
// Platform-free.
#include <string>

// `path` in the extended-length form ("\\?\C:\..." or "\\?\UNC\server\share\...") when it is
// MAX_PATH (260) characters or longer, so that the file opens in full instead of failing or
// being cut; unchanged when it is shorter, already in that form, or neither a drive nor a UNC
// path. `path` must be a full, normalised path, as GetModuleFileNameW gives.
std::wstring ExtendedLengthPath(const std::wstring& path);
