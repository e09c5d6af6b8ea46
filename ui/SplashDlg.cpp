#include "ui/SplashDlg.h"

bool SplashDlg::Create()
{
    return false;  // stands in until the splash lands: the run goes on without one
}
