#include "ui/BrennixInstallerDlg.h"

CBrennixInstallerDlg::CBrennixInstallerDlg(bool question) : m_bQuestion(question) {}

int CBrennixInstallerDlg::DoModal()
{
    return IDCANCEL;  // stands in until the message dialog lands
}
