#include "app/BrennixInstallerApp.h"
#include "app/Log.h"
#include "checks/DiskSpaceRules.h"
#include "framework/StringTable.h"
#include "res/resource.h"

#include <windows.h>

namespace {
// The bytes free for the caller (disk quotas honoured) on `drive`, asked about as written:
// an empty drive text (a path with neither a drive letter nor a share) fails here like any
// unknown place.
bool QueryFreeBytes(const std::wstring& drive, uint64_t& freeBytes)
{
    ULARGE_INTEGER available = {};
    if (!GetDiskFreeSpaceExW(drive.c_str(), &available, nullptr, nullptr))
        return false;
    freeBytes = available.QuadPart;
    return true;
}
} // namespace

bool CBrennixInstallerApp::CheckFreeDiskSpace()
{
    return CheckDiskSpace(m_strTempFolder, LoadResString(IDS_SETTING_REQUIRED_DISK_MB), QueryFreeBytes,
                          m_nRequiredDiskMB, m_nFreeDiskMB, m_strDiskDrive,
                          [](const std::wstring& message) { WriteLog(message); });
}
