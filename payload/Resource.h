#pragma once
// One numbered "TOOLKIT" resource of the running module, and the run's list of them.
#include <cstdint>
#include <list>
#include <string>

class CResource {
public:
    CResource(uint32_t id, std::wstring type, void* module) : m_nId(id), m_strType(std::move(type)), m_hModule(module) {}

    uint32_t m_nId;
    // The size the manifest promises; 0 until the manifest names the resource.
    int32_t m_nSize = 0;
    std::wstring m_strType;
    // The module holding the resource (an HMODULE).
    void* m_hModule;
    // Name relative to the working folder; empty when the manifest has no entry for it.
    std::wstring m_strFileName;
};

// New records go to the front, so from the front the list runs from the highest id down.
using ResourceList = std::list<CResource>;
