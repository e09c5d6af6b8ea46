#pragma once
// The working folder: a folder named by a GUID inside the base temp folder, made on first use,
// opened to everyone, removed at the end of the run.
#include "app/ResultCode.h"
#include "payload/Resource.h"

#include <windows.h>

#include <string>

// Records `base` as the folder the working folder is made in and proves a file can be made
// there. 0 when it can; E_FAIL after "Failed to create temp file '%s'\n", or after "Temp
// folder path too long '%s'\n" when a name joined to `base` would not fit MAX_PATH.
ResultCode ProbeTempFolder(const std::wstring& base);

// Names the working folder with the all-zero GUID from now on, the same on every run.
void SetZeroGuid();

// The working folder's full path; the first call makes it and sets its access list
// (GrantFolderAccess). False, with `path` cleared, when the folder cannot be used: it already exists as
// a junction or symbolic link, or as a folder another user owns ("Temp folder '%s' belongs to
// another user, not used\n"), or its path does not fit MAX_PATH (each logged at the first
// call). A folder that could not be made is not detected here: the first write into it fails.
bool GetTempFolder(std::wstring& path);

// The working folder held open (made on first use as GetTempFolder does), for making and
// deleting files relative to it; INVALID_HANDLE_VALUE when it cannot be used or could not be
// opened.
HANDLE GetTempFolderHandle();

// Deletes the files of `resources`, then the working folder with everything in it, each entry
// relative to its open folder and without following links. What is in use is tried again for
// up to about 3 s ("Files in use, removing '%s' again\n" before each new try), then left, as is
// a read-only file. Nothing is deleted when the working folder cannot be used, nor a file
// reached through a link. Always 0.
ResultCode RemoveTempFolder(const ResourceList& resources);
