#include "checks/NetFrameworkRegistry.h"

#include "framework/Handles.h"

namespace {

// Opens `key` below HKEY_LOCAL_MACHINE, reads `value` into `size` bytes of `buffer` and closes
// the key again. False when the key or value cannot be read, or the value is larger than the
// buffer. The registry type is not examined: the callers say how the bytes are read.
bool QueryMachineValue(const wchar_t* key, const wchar_t* value, void* buffer, DWORD size)
{
    RegKey opened;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, opened.Receive()) != ERROR_SUCCESS)
        return false;
    return RegQueryValueExW(opened.Get(), value, nullptr, nullptr, static_cast<BYTE*>(buffer), &size) ==
           ERROR_SUCCESS;
}

// The "Version" text: 260 bytes of room, terminator included.
constexpr DWORD kVersionBytes = 260;

} // namespace

bool MachineNetRegistry::IsRegistryFlagSet(const wchar_t* key, const wchar_t* value) const
{
    DWORD flag = 0;
    return QueryMachineValue(key, value, &flag, sizeof(flag)) && flag == 1;
}

int32_t MachineNetRegistry::ReadRegistryDword(const wchar_t* key, const wchar_t* value) const
{
    DWORD number = 0;
    if (!QueryMachineValue(key, value, &number, sizeof(number)))
        return -1;
    return static_cast<int32_t>(number);
}

bool MachineNetRegistry::ReadNetVersion(const wchar_t* key, NetVersion& version) const
{
    version = NetVersion();
    // One unit more than the value may fill, always zero: a value stored without its
    // terminator still ends inside the buffer.
    wchar_t text[kVersionBytes / sizeof(wchar_t) + 1] = {};
    if (!QueryMachineValue(key, L"Version", text, kVersionBytes))
        return false;
    version = ::ParseNetVersion(text);
    return true;
}
