#pragma once
// The payload's "TOOLKIT" resources: finding them, reading the manifest, writing the files.
#include "app/ResultCode.h"
#include "payload/Resource.h"

#include <windows.h>

#include <string>

// Lists every numbered "TOOLKIT" resource of `module` at the front of `resources`, runs
// WorkOutFileNames, then writes every resource the manifest names, highest id first, stopping
// at the first failure. 0 when every named file was written (or none was named); E_FAIL
// after "Enumerate Resources has failed\n" when the module has no such resource; otherwise the
// first failure of WorkOutFileNames or ExtractFile.
ResultCode EnumerateResources(HMODULE module, ResourceList& resources, std::wstring& programPath);

// Reads the manifest (resource 101) and gives every resource it names its file name and size;
// `programPath` becomes the path of the program file, the named candidate with the lowest id.
// 0 also without a manifest; E_FAIL when the manifest cannot be read, when a name would leave
// the working folder ("Refused file name '%s' outside the temp folder\n"; nothing is
// extracted then) or when the program's path cannot be used.
ResultCode WorkOutFileNames(ResourceList& resources, std::wstring& programPath);
