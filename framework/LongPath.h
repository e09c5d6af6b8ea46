#pragma once
// Paths longer than the platform's MAX_PATH, for the calls that open a file by name.
// Platform-free.
#include <cstdint>
#include <functional>
#include <string>

// A call that fills `buffer` (room for `size` characters) with a path as GetModuleFileNameW
// does: the length written, or `size` itself when the path was cut to fit; 0 on failure.
using PathQuery = std::function<uint32_t(wchar_t* buffer, uint32_t size)>;

// The whole path that `query` gives, asked again with twice the room while it comes back cut,
// up to the platform's longest path (32767 characters). Empty when the query fails or the path
// is longer than that.
std::wstring ReadWholePath(const PathQuery& query);

// `path` in the extended-length form ("\\?\C:\..." or "\\?\UNC\server\share\...") when it is
// MAX_PATH (260) characters or longer, so that the file opens in full instead of failing or
// being cut; unchanged when it is shorter, already in that form, or neither a drive nor a UNC
// path. `path` must be a full, normalised path, as GetModuleFileNameW gives.
std::wstring ExtendedLengthPath(const std::wstring& path);
