#pragma once
// The .NET Framework setup keys as the running program sees them: HKEY_LOCAL_MACHINE opened
// for reading with no view flags, so a 32-bit build reads the 32-bit view of the registry.
#include "checks/NetFrameworkDetection.h"

class MachineNetRegistry : public NetRegistry {
public:
    bool IsRegistryFlagSet(const wchar_t* key, const wchar_t* value) const override;
    int32_t ReadRegistryDword(const wchar_t* key, const wchar_t* value) const override;
    bool ReadNetVersion(const wchar_t* key, NetVersion& version) const override;
};
