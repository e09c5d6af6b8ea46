#pragma once
// The bytes of a payload resource, straight from the module's mapped image.
#include "app/ResultCode.h"
#include "payload/Resource.h"

#include <windows.h>

struct ResourceBytes {
    const void* data = nullptr;
    DWORD size = 0;
};

// The log line for each step that can fail; the manifest and the payload files name them
// differently.
struct ResourceFailureLines {
    const wchar_t* find;
    const wchar_t* load;
    const wchar_t* lock;
};

// Finds, loads and locks `resource`. 0 with `bytes` set; E_FAIL after the matching line of
// `lines` when a step fails. The bytes live as long as the module.
ResultCode LockResourceBytes(const CResource& resource, const ResourceFailureLines& lines, ResourceBytes& bytes);
