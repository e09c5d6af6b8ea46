#pragma once
// Which payload resource is the program to launch. Platform-free.
#include "payload/Resource.h"

// True when the lower-cased file name holds ".exe" first at an index above 0: "setup.exe" and
// "setup.exe.config" qualify, ".exe" and "readme.txt" do not.
bool IsProgramFile(const CResource& resource);
