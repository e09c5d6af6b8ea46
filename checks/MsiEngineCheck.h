#pragma once
// The Windows Installer engine: the file version of its library in the system folder.
#include <cstdint>
#include <string>

// The system folder with a trailing "\" (e.g. C:\Windows\system32\), from the shell. False,
// with `path` untouched, when the shell cannot name it.
bool GetSystemFolder(std::wstring& path);

// The high and low halves of the most significant word of the file version of `path`. False,
// with both outputs untouched, when the file has no version information, it cannot be read,
// or its fixed part is missing or has a wrong signature.
bool ReadFileVersion(const std::wstring& path, int32_t& major, int32_t& minor);

// True when the engine library at `libraryPath` is version 2 or later. A library that is
// missing or has no readable fixed version information fails: nothing shows it usable.
bool IsMsiEngineUsable(const std::wstring& libraryPath);

// True when MSI.DLL in the system folder is version 2 or later; false also when the system
// folder cannot be found. Writes nothing to the log.
bool CheckMsiEngine();
