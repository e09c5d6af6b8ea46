#pragma once
// The working folder's access list. By default another local user may read and run what was
// unpacked but not change, delete or replace it, while the elevated stub runs it; a build that
// needs the older full access for everyone turns it on with a string-table setting.
#include "framework/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

// The calls the change makes on one folder. The real one works on a handle that does not
// follow links; tests use a fake, since Wine maps access lists to Unix modes.
class FolderSecurity {
public:
    virtual ~FolderSecurity() = default;
    // True when the folder is a junction or symbolic link.
    virtual bool IsLink() = 0;
    // Reads the folder's DACL. ERROR_SUCCESS with `dacl` pointing into `descriptor`, or the error.
    virtual DWORD ReadDacl(PACL& dacl, LocalMemory& descriptor) = 0;
    // Reads the folder's owner. ERROR_SUCCESS with `owner` pointing into `descriptor`, or the error.
    virtual DWORD ReadOwner(PSID& owner, LocalMemory& descriptor) = 0;
    // Writes `dacl` as the folder's DACL; with `protectedList` the entries the parent folder
    // passes down no longer apply. ERROR_SUCCESS or the error.
    virtual DWORD WriteDacl(PACL dacl, bool protectedList) = 0;
};

// Replaces the folder's DACL with a protected one that gives full control to the folder's
// owner, Administrators (S-1-5-32-544) and SYSTEM (S-1-5-18), and read and execute to Everyone
// (S-1-1-0), each inherited by all subfolders and files. Nothing else, such as the "create
// files" that some shared temp folders pass down to users, applies any more. A link is left
// alone; nothing is written when the owner cannot be read or the list cannot be made. Failures
// are silent: the folder keeps the access it inherited.
void RestrictFolderAccess(FolderSecurity& folder);

// Sets full access for Everyone (S-1-1-0), inherited by all subfolders and files, in the
// folder's DACL, keeping every other entry. A link is left alone; nothing is written when the
// DACL cannot be read or merged. Failures are silent: the folder keeps the access it inherited.
void GrantEveryoneAccess(FolderSecurity& folder);

// True when the text of the "everyone full access" setting turns it on: a number other than 0
// by the settings' number rule. Missing or "0" (shipped) leaves it off.
bool IsEveryoneFullAccessOn(const std::wstring& setting);

// False when the folder has an owner and it is none of `owners`. A folder without a readable
// owner (a file system without access lists) counts as owned. Links are not looked at here.
bool IsOwnedByOneOf(FolderSecurity& folder, const std::vector<PSID>& owners);

// Whether the folder at `path` belongs to this run: its owner is this process's user, the owner
// it gives new objects, Administrators or SYSTEM (IsOwnedByOneOf). A working folder of the fixed
// zero-GUID name that another user made first would stay in that user's control, whatever its
// access list says. False when its owner cannot be read for lack of access; true when the
// folder cannot be opened otherwise (the writes into it fail then).
bool IsFolderOwnedByThisRun(const std::wstring& path);

// RestrictFolderAccess on the folder at `path`, or GrantEveryoneAccess when the build's setting
// asks for full access for everyone.
void GrantFolderAccess(const std::wstring& path);
