#pragma once
#include "app/ResultCode.h"
#include "payload/Resource.h"

#include <windows.h>

#include <string>

// Finds the module's "TOOLKIT" resources, reads the manifest, writes every listed file into
// the working folder and sets `programPath` to the program to launch.
ResultCode EnumerateResources(HMODULE module, ResourceList& resources, std::wstring& programPath);
