#pragma once
// The free-space check of the temp folder's drive, platform-free: the drive is found by the
// runtime library's path split and the free space is asked for through a function, so the
// rule runs against chosen amounts in the tests.
#include "checks/CheckLog.h"

#include <cstdint>
#include <functional>
#include <string>

// Asks the platform how many bytes of the drive `drive` are free for the caller; false when
// it cannot tell.
using FreeSpaceQuery = std::function<bool(const std::wstring& drive, uint64_t& freeBytes)>;

// Whole megabytes (1,048,576 bytes) in `bytes`, rounded down.
int64_t WholeMegabytes(uint64_t bytes);

// Checks that the drive of `tempFolder` has the megabytes `requiredSetting` asks for (the
// settings' number rule; empty means 0). Writes, as it goes, `requiredMB`, `freeMB` (0 until
// measured) and `drive` (the drive part, e.g. "C:"; for a UNC path the share's root,
// "\\\\server\\share\\"; empty for a path without either; untouched when the path cannot be
// split), and the log lines. False when the path cannot be split, the
// query fails, or fewer megabytes are free than required (a signed comparison, so a negative
// requirement always passes).
bool CheckDiskSpace(const std::wstring& tempFolder, const std::wstring& requiredSetting, const FreeSpaceQuery& query,
                    int64_t& requiredMB, int64_t& freeMB, std::wstring& drive, const CheckLog& log);
