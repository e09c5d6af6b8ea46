#pragma once
// Reading a resource as text and writing a resource to its file.
#include "app/ResultCode.h"
#include "payload/PackedStream.h"
#include "payload/Resource.h"

#include <windows.h>

#include <string>

// The resource's bytes read as text in the thread's ANSI code page. 0, or E_FAIL after
// "ExtractSelf FindResource has failed\n" (LoadResource, LockResource likewise).
ResultCode ExtractSelf(const CResource& resource, std::wstring& text);

// Writes the resource to its file below the working folder, making missing subfolders and
// replacing an existing file by a new one (a hard link or file link under the name is deleted,
// never written through), with its length reserved first and large writes straight from the
// module's image, each reported to the unpacking's progress. 0 after "%s written Ok\n"; E_FAIL when the resource cannot be had, the path
// cannot be used, a link lies on the way ("%s is reached through a link, not written\n"), the
// file cannot be created ("%s Create file has failed\n") or the write falls short ("%s Write file
// has failed after %lu of %lu bytes, error %lu\n"; STG_E_MEDIUMFULL instead of E_FAIL when the
// drive is full); 0x80040167 after "%s Write file has failed\n" when the whole resource was
// written but its length differs from the manifest's size (the file stays). In a compressed
// setup file, a resource that holds a file record is decoded from `packed` instead
// (payload/PackedFile.h says how that fails).
ResultCode ExtractFile(const CResource& resource, PackedStream& packed);

// Writes all of `data` in chunks, each reported to the unpacking's progress, going on after a
// write that stops short without an error (as one that reaches the end of a filling drive may)
// so that the next one tells why. The platform's error, or ERROR_SUCCESS; `written` counts what
// was written.
DWORD WriteWhole(HANDLE file, const void* data, DWORD size, DWORD& written);

// A write that failed with the platform's `error` after `written` of `size` bytes: logs "%s
// Write file has failed after %lu of %lu bytes, error %lu\n" and gives STG_E_MEDIUMFULL when the
// drive is full, E_FAIL otherwise.
ResultCode WriteFailed(const std::wstring& path, uint64_t written, uint64_t size, DWORD error);
