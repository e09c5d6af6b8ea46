#include "checks/DiskSpaceRules.h"

#include "checks/PathSplit.h"
#include "framework/DecimalNumber.h"
#include "framework/Format.h"

#include <algorithm>

namespace {
// The room the check gives each part of the split: a directory part of 256 characters or
// more does not fit, and the check fails rather than measure the wrong place.
constexpr PathPartRoom kTempFolderRoom = {3, 256, 256, 256};

// The root of the share a UNC path names ("\\\\server\\share\\"), which is what the free-space
// query needs; empty when the path is not of that form.
std::wstring ShareRoot(const std::wstring& path)
{
    if (path.size() < 3 || path[0] != L'\\' || path[1] != L'\\' || path[2] == L'?' || path[2] == L'.')
        return std::wstring();
    const size_t serverEnd = path.find(L'\\', 2);
    if (serverEnd == std::wstring::npos || serverEnd == 2)
        return std::wstring();
    const size_t shareEnd = std::min(path.find(L'\\', serverEnd + 1), path.size());
    if (shareEnd == serverEnd + 1)
        return std::wstring();
    return path.substr(0, shareEnd) + L"\\";
}
} // namespace

int64_t WholeMegabytes(uint64_t bytes)
{
    return static_cast<int64_t>(bytes >> 20);
}

bool CheckDiskSpace(const std::wstring& tempFolder, const std::wstring& requiredSetting, const FreeSpaceQuery& query,
                    int64_t& requiredMB, int64_t& freeMB, std::wstring& drive, const CheckLog& log)
{
    log(L"Free Disk Space\n");
    freeMB = 0;
    requiredMB = ParseDecimalNumber(requiredSetting);

    PathParts parts;
    if (!SplitPath(tempFolder, kTempFolderRoom, parts)) {
        log(FormatString(L"Failed to parse directory for free disk space check. %s\n", tempFolder.c_str()));
        return false;
    }
    drive = parts.drive.empty() ? ShareRoot(tempFolder) : parts.drive;
    log(FormatString(L"Free Disk Space: Checking at least %I64d MB free on drive '%s' for temp directory '%s'\n",
                     requiredMB, drive.c_str(), tempFolder.c_str()));

    uint64_t freeBytes = 0;
    if (!query(drive, freeBytes)) {
        log(L"Failed to check free disk space.\n");
        return false;
    }
    freeMB = WholeMegabytes(freeBytes);
    if (freeMB >= requiredMB) {
        log(L"Free disk space requirement passed.\n");
        return true;
    }
    log(FormatString(L"Insufficient disk space: %I64d MB required but only %I64d MB free.\n", requiredMB, freeMB));
    return false;
}
