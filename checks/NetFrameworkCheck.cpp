#include "app/BrennixInstallerApp.h"

bool CBrennixInstallerApp::CheckNetVersion()
{
    return true;  // stands in until the .NET Framework detection lands
}
