#include "checks/AdminCheck.h"

#include "framework/Handles.h"
#include "framework/StringTable.h"
#include "res/resource.h"

bool IsAdminRequired()
{
    // A whole-text comparison: "00" or " 0" still require the rights.
    return LoadResString(IDS_SETTING_ADMIN_REQUIRED) != L"0";
}

bool IsUserAdmin()
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    SidHandle administrators;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                  0, 0, administrators.Receive()))
        return false;
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators.Get(), &member))
        member = FALSE;
    return member == TRUE;
}
