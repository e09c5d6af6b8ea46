#include "app/BrennixInstallerApp.h"

// The one application object; the framework's entry point runs it.
CBrennixInstallerApp theApp;

CBrennixInstallerApp::CBrennixInstallerApp() = default;
