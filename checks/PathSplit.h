#pragma once
// A path split into drive, directory, file name and extension by the runtime library's rule
// (_wsplitpath_s), platform-free so the disk-space check's use of it is tested natively.
#include <cstddef>
#include <string>

struct PathParts {
    std::wstring drive;      // "C:" when the second character is a colon, else empty (UNC paths)
    std::wstring directory;  // up to and including the last "\" or "/"
    std::wstring fileName;   // the rest up to its last "."
    std::wstring extension;  // from that "." on
};

// The room of each part in UTF-16 units, terminator included, as given to _wsplitpath_s.
struct PathPartRoom {
    size_t drive;
    size_t directory;
    size_t fileName;
    size_t extension;
};

// Splits `path` (up to its first zero character). False, with every part emptied, when a part
// does not fit its room (its length must stay below it).
bool SplitPath(const std::wstring& path, const PathPartRoom& room, PathParts& parts);
