#include "app/BrennixInstallerApp.h"

ResultCode CBrennixInstallerApp::ParseOptions()
{
    return Result::Ok;  // stands in until the command line lands: defaults everywhere
}
