#include "payload/ExtractFile.h"

#include "app/Log.h"
#include "framework/CodePage.h"
#include "framework/Handles.h"
#include "framework/ShellPath.h"
#include "payload/FilePath.h"
#include "payload/LinkCheck.h"
#include "payload/PackedFile.h"
#include "payload/ResourceBytes.h"
#include "payload/TempFolder.h"

#include <shlobj.h>

namespace {

constexpr ResourceFailureLines kManifestFailures = {
    L"ExtractSelf FindResource has failed\n",
    L"ExtractSelf LoadResource has failed\n",
    L"ExtractSelf LockResource has failed\n",
};

constexpr ResourceFailureLines kPayloadFailures = {
    L"FindResource has failed\n",
    L"ResourceLoaded has failed\n",
    L"LockResource has failed\n",
};

// Makes the folder that will hold `filePath`, with its missing parents; an existing one is fine.
void MakeParentFolder(const std::wstring& filePath)
{
    wchar_t folder[MAX_PATH] = {};
    filePath.copy(folder, MAX_PATH - 1);  // GetFilePath keeps the path within MAX_PATH
    if (PathRemoveFileSpecSystem(folder))
        SHCreateDirectoryExW(nullptr, folder, nullptr);
}

} // namespace

ResultCode ExtractSelf(const CResource& resource, std::wstring& text)
{
    ResourceBytes bytes;
    const ResultCode result = LockResourceBytes(resource, kManifestFailures, bytes);
    if (result != Result::Ok)
        return result;
    text = FromThreadAnsi(static_cast<const char*>(bytes.data), bytes.size);
    return Result::Ok;
}

ResultCode ExtractFile(const CResource& resource, PackedStream& packed)
{
    ResourceBytes bytes;
    const ResultCode result = LockResourceBytes(resource, kPayloadFailures, bytes);
    if (result != Result::Ok)
        return result;

    std::wstring path, workFolder;
    if (!GetFilePath(resource, path) || !GetTempFolder(workFolder))
        return Result::Fail;
    if (IsReachedThroughLink(workFolder, resource.m_strFileName)) {
        WriteLogFormat(L"%s is reached through a link, not written\n", path.c_str());
        return Result::Fail;
    }
    MakeParentFolder(path);

    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        WriteLogFormat(L"%s Create file has failed\n", path.c_str());
        return Result::Fail;
    }
    PackedFileRecord record;
    if (packed.IsPresent() && ParsePackedFileRecord(bytes.data, bytes.size, record))
        return WritePackedFile(file.Get(), path, resource, record, packed);
    DWORD written = 0;
    WriteFile(file.Get(), bytes.data, bytes.size, &written, nullptr);
    if (written < bytes.size)
        return Result::Fail;
    if (static_cast<int64_t>(written) != resource.m_nSize) {
        WriteLogFormat(L"%s Write file has failed\n", path.c_str());
        return Result::CorruptFile;
    }
    WriteLogFormat(L"%s written Ok\n", path.c_str());
    return Result::Ok;
}
