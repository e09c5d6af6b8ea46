#pragma once
// Opening the working folder's access list to everyone, so that an installer that drops its
// rights, or a service it starts, can still read and clean up what was unpacked.
#include "framework/Handles.h"

#include <windows.h>

#include <string>

// The calls the change makes on one folder. The real one works on a handle that does not
// follow links; tests use a fake, since Wine maps access lists to Unix modes.
class FolderSecurity {
public:
    virtual ~FolderSecurity() = default;
    // True when the folder is a junction or symbolic link.
    virtual bool IsLink() = 0;
    // Reads the folder's DACL. ERROR_SUCCESS with `dacl` pointing into `descriptor`, or the error.
    virtual DWORD ReadDacl(PACL& dacl, LocalMemory& descriptor) = 0;
    // Writes `dacl` as the folder's DACL. ERROR_SUCCESS or the error.
    virtual DWORD WriteDacl(PACL dacl) = 0;
};

// Sets full access for Everyone (S-1-1-0), inherited by all subfolders and files, in the
// folder's DACL, keeping every other entry. A link is left alone; nothing is written when the
// DACL cannot be read or merged. Failures are silent: the folder keeps the access it inherited.
void GrantEveryoneAccess(FolderSecurity& folder);

// GrantEveryoneAccess on the folder at `path`.
void GrantFolderAccess(const std::wstring& path);
