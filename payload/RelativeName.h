#pragma once
// Whether a manifest file name stays inside the working folder: the one rule the stub applies
// when it reads the manifest and the packer applies when it writes one. Platform-free.
#include <string>

// True when `name` is a relative path that cannot leave the folder it is joined to nor open
// anything but a file in it. False for an empty name, a name that starts with a separator
// (rooted, UNC, device paths), an empty element ("a\\b", "a\"), a ":" (drive prefixes,
// streams), characters Windows forbids in names (controls, < > " | ? *), an element made only
// of dots and blanks ("..", and ".. " or "..." which Windows reads as ".."), and an element
// that Windows opens as a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, in any
// case, with or without an extension). Both "\" and "/" count as separators.
bool IsNameInsideFolder(const std::wstring& name);
