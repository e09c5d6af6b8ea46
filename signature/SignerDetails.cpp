#include "app/BrennixInstallerApp.h"

void CBrennixInstallerApp::LogSignatureDetails()
{
    // Stands in until the signer details land: the default program name.
    m_strProgramName = L"Corvane Installer";
}
