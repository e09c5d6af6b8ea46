#pragma once
// True unless the build's setting says administrator rights are not needed.
bool IsAdminRequired();
// True when the calling thread's token is a member of the local Administrators group.
bool IsUserAdmin();
