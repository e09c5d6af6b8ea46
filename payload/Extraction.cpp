#include "payload/Extraction.h"

#include "app/Log.h"
#include "payload/ExtractFile.h"
#include "payload/ExtractionProgress.h"
#include "payload/FilePath.h"
#include "payload/Manifest.h"
#include "payload/PackedFile.h"
#include "payload/ProgramFile.h"
#include "payload/RelativeName.h"
#include "res/resource.h"

namespace {

constexpr wchar_t kPayloadType[] = L"TOOLKIT";

BOOL CALLBACK AddResource(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR context)
{
    if (!IS_INTRESOURCE(name))
        return TRUE;  // string-named resources are not payload
    auto& resources = *reinterpret_cast<ResourceList*>(context);
    const auto id = static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(name));
    resources.emplace_front(id, type, module);
    WriteLogFormat(L"Enumerate Resources %s %x\n", type, id);
    return TRUE;
}

// Parses the first manifest resource in list order into `manifest`; 0 when there is none.
ResultCode ReadManifest(const ResourceList& resources, ManifestMap& manifest)
{
    for (const CResource& resource : resources) {
        if (resource.m_nId != IDR_PAYLOAD_MANIFEST)
            continue;
        std::wstring text;
        const ResultCode result = ExtractSelf(resource, text);
        return result != Result::Ok ? result : ParseManifest(text, manifest);
    }
    return Result::Ok;
}

// The bytes the manifest promises for the files to be written.
uint64_t PayloadBytes(const ResourceList& resources)
{
    uint64_t total = 0;
    for (const CResource& resource : resources) {
        if (!resource.m_strFileName.empty() && resource.m_nSize > 0)
            total += static_cast<uint64_t>(resource.m_nSize);
    }
    return total;
}

} // namespace

ResultCode WorkOutFileNames(ResourceList& resources, std::wstring& programPath)
{
    ManifestMap manifest;
    ResultCode result = ReadManifest(resources, manifest);
    if (result == Result::Ok) {
        for (CResource& resource : resources) {
            const auto found = manifest.find(resource.m_nId);
            if (found == manifest.end())
                continue;
            const CResourceFile& entry = found->second;
            if (!IsNameInsideFolder(entry.m_strFileName)) {
                WriteLogFormat(L"Refused file name '%s' outside the temp folder\n", entry.m_strFileName.c_str());
                result = Result::Fail;
                break;
            }
            resource.m_strFileName = entry.m_strFileName;
            resource.m_nSize = entry.m_nSize;
            // Walking from the highest id down, the last candidate met has the lowest id.
            if (IsProgramFile(resource) && !GetFilePath(resource, programPath)) {
                result = Result::Fail;
                break;
            }
            WriteLogFormat(L"Work Out FileName %s, Bytes %ld\n", entry.m_strFileName.c_str(), entry.m_nSize);
        }
    }
    WriteLogFormat(L"WorkOutFileNames %x\n", result);
    return result;
}

ResultCode EnumerateResources(HMODULE module, ResourceList& resources, std::wstring& programPath)
{
    if (!EnumResourceNamesW(module, kPayloadType, AddResource, reinterpret_cast<LONG_PTR>(&resources))) {
        WriteLog(L"Enumerate Resources has failed\n");
        return Result::Fail;
    }
    WriteLog(L"Enumerate Resources OK \n");

    ResultCode result = WorkOutFileNames(resources, programPath);
    if (result != Result::Ok)
        return result;
    PackedStream packed;
    OpenPackedStream(module, packed);
    BeginExtractionProgress(PayloadBytes(resources));
    for (const CResource& resource : resources) {
        if (resource.m_strFileName.empty())
            continue;
        result = ExtractFile(resource, packed);
        WriteLogFormat(L"Extract File %s %x\n", resource.m_strFileName.c_str(), result);
        if (result != Result::Ok)
            break;
    }
    return result;
}
