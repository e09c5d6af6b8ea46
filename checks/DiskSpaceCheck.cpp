#include "app/BrennixInstallerApp.h"

bool CBrennixInstallerApp::CheckFreeDiskSpace()
{
    return true;  // stands in until the disk-space check lands
}
