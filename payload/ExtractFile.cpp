#include "payload/ExtractFile.h"

#include "app/Log.h"
#include "framework/CodePage.h"
#include "framework/Handles.h"
#include "payload/ExtractionProgress.h"
#include "payload/FilePath.h"
#include "payload/LinkCheck.h"
#include "payload/PackedFile.h"
#include "payload/RelativeFiles.h"
#include "payload/ResourceBytes.h"
#include "payload/TempFolder.h"

#include <algorithm>
#include <cstdint>

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

// Large enough that the number of writes does not matter, small enough that the splash sees a
// large file move.
constexpr DWORD kWriteChunk = 4u << 20;

// Reserves the file's whole length before the first write, so the file system lays it out in
// one go instead of growing it write by write. A file system that cannot reserve just grows it.
void ReserveLength(HANDLE file, DWORD size)
{
    FILE_ALLOCATION_INFO allocation = {};
    allocation.AllocationSize.QuadPart = size;
    SetFileInformationByHandle(file, FileAllocationInfo, &allocation, sizeof(allocation));
}

} // namespace

DWORD WriteWhole(HANDLE file, const void* data, DWORD size, DWORD& written)
{
    written = 0;
    while (written < size) {
        DWORD chunk = 0;
        if (!WriteFile(file, static_cast<const BYTE*>(data) + written, std::min(size - written, kWriteChunk), &chunk,
                       nullptr))
            return GetLastError();
        if (chunk == 0)
            return ERROR_WRITE_FAULT;
        written += chunk;
        ReportBytesWritten(chunk);
    }
    return ERROR_SUCCESS;
}

ResultCode WriteFailed(const std::wstring& path, uint64_t written, uint64_t size, DWORD error)
{
    // A full drive is the user's to mend, and is worded as such; anything else is a failed build.
    const bool diskFull = error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
    WriteLogFormat(L"%s Write file has failed after %lu of %lu bytes, error %lu\n", path.c_str(),
                   static_cast<unsigned long>(written), static_cast<unsigned long>(size), error);
    return diskFull ? Result::MediumFull : Result::Fail;
}

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
    FileHandle file;
    // Made relative to the open working folder, its subfolders made one by one: a link on the
    // way is refused (Wine shows one only through its path, Windows through the handles).
    const DWORD error = IsReachedThroughLink(workFolder, resource.m_strFileName)
                            ? kErrorIsLink
                            : CreateFreshFile(GetTempFolderHandle(), resource.m_strFileName, file);
    if (error == kErrorIsLink) {
        WriteLogFormat(L"%s is reached through a link, not written\n", path.c_str());
        return Result::Fail;
    }
    if (error != ERROR_SUCCESS) {
        WriteLogFormat(L"%s Create file has failed\n", path.c_str());
        return Result::Fail;
    }
    PackedFileRecord record;
    if (packed.IsPresent() && ParsePackedFileRecord(bytes.data, bytes.size, record)) {
        if (record.size == static_cast<uint64_t>(resource.m_nSize))
            ReserveLength(file.Get(), static_cast<DWORD>(record.size));
        return WritePackedFile(file.Get(), path, resource, record, packed);
    }
    ReserveLength(file.Get(), bytes.size);
    DWORD written = 0;
    const DWORD writeError = WriteWhole(file.Get(), bytes.data, bytes.size, written);
    if (writeError != ERROR_SUCCESS)
        return WriteFailed(path, written, bytes.size, writeError);
    if (static_cast<int64_t>(written) != resource.m_nSize) {
        WriteLogFormat(L"%s Write file has failed\n", path.c_str());
        return Result::CorruptFile;
    }
    WriteLogFormat(L"%s written Ok\n", path.c_str());
    return Result::Ok;
}
