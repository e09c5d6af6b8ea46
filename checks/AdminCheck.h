#pragma once
// Administrator rights: whether the build insists on them, and whether the user has them.

// True unless string-table entry 145 reads exactly "0" (a missing entry reads as empty and
// so requires them).
bool IsAdminRequired();

// True when the calling thread's token (its impersonation token, else the process token) is
// a member of the local Administrators group. A token filtered by user account control holds
// the group for denial only and answers false; any failure of the security calls does too.
bool IsUserAdmin();
