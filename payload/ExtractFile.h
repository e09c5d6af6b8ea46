#pragma once
// Reading a resource as text and writing a resource to its file.
#include "app/ResultCode.h"
#include "payload/Resource.h"

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
// written but its length differs from the manifest's size (the file stays).
ResultCode ExtractFile(const CResource& resource);
