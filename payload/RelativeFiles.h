#pragma once
// Files and folders opened relative to a folder that is already open, never by a full path,
// and without following links: a folder swapped for a junction after it was checked cannot
// steer a write or a deletion elsewhere.
#include "framework/Handles.h"

#include <windows.h>

#include <string>

// The error given when a link stands where a file or folder was expected.
constexpr DWORD kErrorIsLink = 681;  // ERROR_STOPPED_ON_SYMLINK

// True when the open `handle` is a junction, symbolic link or other name-surrogate reparse
// point (IsLinkEntry), or when its attributes cannot be read.
bool IsLinkHandle(HANDLE handle);

// Opens the folder at `path` itself (a link is opened as the link, not followed) for listing
// and for reaching, making and deleting its entries. ERROR_SUCCESS, kErrorIsLink (the handle is not given) or the
// platform's error.
DWORD OpenFolderNoFollow(const std::wstring& path, FileHandle& folder);

// Opens the entry `name` (one element, no separators) of the open `folder` with `access`,
// without following a link. `disposition` and `options` are those of NtCreateFile (FILE_OPEN,
// FILE_CREATE, FILE_OPEN_IF; FILE_DIRECTORY_FILE, FILE_NON_DIRECTORY_FILE). ERROR_SUCCESS or
// the platform's error, e.g. ERROR_SHARING_VIOLATION for a file in use. Others may share it
// as `share` allows.
DWORD OpenEntry(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG disposition, ULONG options,
                FileHandle& entry, ULONG share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);

// Opens the subfolder `relativeFolder` ("a\\b", "/" also separates; empty gives a second handle
// to `folder`) of the open `folder`, one element at a time, each relative to the one before;
// with `make`, missing ones are made. kErrorIsLink when an element is a link; ERROR_SUCCESS or
// the platform's error otherwise.
DWORD OpenSubfolders(HANDLE folder, const std::wstring& relativeFolder, bool make, FileHandle& subfolder);

// Deletes the file `relativeName` below the open `folder` as DeleteEntry does, reaching it
// through OpenSubfolders (kErrorIsLink when a subfolder on the way is a link).
DWORD DeleteBelow(HANDLE folder, const std::wstring& relativeName);

// Deletes the entry `name` of the open `folder`: a file, an empty folder, or a link itself
// (never what it leads to). ERROR_SUCCESS, or the platform's error: ERROR_FILE_NOT_FOUND when it
// is gone, ERROR_SHARING_VIOLATION or ERROR_ACCESS_DENIED when it is in use or read-only,
// ERROR_DIR_NOT_EMPTY for a folder that still holds something.
DWORD DeleteEntry(HANDLE folder, const std::wstring& name);

// Makes the file `relativeName` below the open `folder` afresh for writing, with no sharing:
// missing subfolders are made, an existing file of that name (or a file link or hard link under
// that name) is deleted first, so that the write never reaches another file; a folder or folder
// link under that name stays, and no file is made. ERROR_SUCCESS, kErrorIsLink when a subfolder
// on the way is a link, or the platform's error.
DWORD CreateFreshFile(HANDLE folder, const std::wstring& relativeName, FileHandle& file);
