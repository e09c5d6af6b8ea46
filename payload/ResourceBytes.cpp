#include "payload/ResourceBytes.h"

#include "app/Log.h"

ResultCode LockResourceBytes(const CResource& resource, const ResourceFailureLines& lines, ResourceBytes& bytes)
{
    const auto module = static_cast<HMODULE>(resource.m_hModule);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resource.m_nId), resource.m_strType.c_str());
    if (found == nullptr) {
        WriteLog(lines.find);
        return Result::Fail;
    }
    HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr) {
        WriteLog(lines.load);
        return Result::Fail;
    }
    const void* data = LockResource(loaded);
    if (data == nullptr) {
        WriteLog(lines.lock);
        return Result::Fail;
    }
    bytes.data = data;
    bytes.size = SizeofResource(module, found);
    return Result::Ok;
}
