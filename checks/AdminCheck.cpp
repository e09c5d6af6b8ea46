#include "checks/AdminCheck.h"

bool IsAdminRequired()
{
    return false;  // stands in until the administrator check lands
}

bool IsUserAdmin()
{
    return true;
}
