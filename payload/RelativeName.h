#pragma once
// Whether a manifest file name stays inside the working folder. Platform-free.
#include <string>

// True when `name` is a relative path that cannot leave the folder it is joined to. False for
// an empty name, a name that starts with a separator (rooted, UNC, device paths), a name with
// a ":" (drive prefixes, streams), with characters Windows forbids in names (controls, < > " |
// ? *), or with an element made only of dots and blanks ("..", and ".. " which Windows reads
// as ".."). Both "\" and "/" count as separators.
bool IsNameInsideFolder(const std::wstring& name);
