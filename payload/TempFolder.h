#pragma once
#include "app/ResultCode.h"
#include "payload/Resource.h"

#include <string>

// 0 when a file can be created in `base`, E_FAIL otherwise. Records `base` as the folder the
// working folder is made in.
ResultCode ProbeTempFolder(const std::wstring& base);
// Names the working folder with the all-zero GUID from now on.
void SetZeroGuid();
// The working folder's full path; made (and opened to everyone) on the first call.
void GetTempFolder(std::wstring& path);
// Deletes the extracted files and the working folder with everything in it. Always 0.
ResultCode RemoveTempFolder(const ResourceList& resources);
