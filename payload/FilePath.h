#pragma once
// Where an extracted resource lives on disk.
#include "payload/Resource.h"

#include <string>

// The working folder joined with the resource's file name (the working folder itself for a
// resource without one). False, with `path` cleared, when the working folder cannot be used
// or the joined path does not fit MAX_PATH (logged as "File path too long '%s'\n").
bool GetFilePath(const CResource& resource, std::wstring& path);
