#include "payload/PackedFile.h"

#include "app/Log.h"
#include "payload/ExtractFile.h"

namespace {

constexpr wchar_t kPayloadType[] = L"TOOLKIT";

// Writes to the file in the extraction's own way (chunks, progress), keeping the count and the
// platform's error for the failure line.
class FileSink : public PackedSink {
public:
    explicit FileSink(HANDLE file) : m_file(file) {}

    bool Write(const uint8_t* data, size_t size) override
    {
        DWORD written = 0;
        m_error = WriteWhole(m_file, data, static_cast<DWORD>(size), written);
        m_written += written;
        return m_error == ERROR_SUCCESS;
    }

    uint64_t m_written = 0;
    DWORD m_error = ERROR_SUCCESS;

private:
    HANDLE m_file;
};

} // namespace

void OpenPackedStream(HMODULE module, PackedStream& stream)
{
    const auto* name = reinterpret_cast<const wchar_t*>(kPackedStreamName);
    HRSRC found = FindResourceW(module, name, kPayloadType);
    if (found == nullptr)
        return;
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    // A stream that cannot be had reads as an empty one, so its files fail as corrupt.
    stream.Open(data, data != nullptr ? SizeofResource(module, found) : 0);
}

ResultCode WritePackedFile(HANDLE file, const std::wstring& path, const CResource& resource,
                           const PackedFileRecord& record, PackedStream& stream)
{
    FileSink sink(file);
    std::string error;
    const ResultCode result = stream.DecodeFile(record, sink, error);
    if (result == Result::CorruptFile) {
        const std::wstring why(error.begin(), error.end());  // zstd's texts are ASCII
        WriteLogFormat(L"%s Unpacking has failed: %s\n", path.c_str(), why.c_str());
        return result;
    }
    if (result != Result::Ok)
        return WriteFailed(path, sink.m_written, record.size, sink.m_error);
    if (static_cast<int64_t>(record.size) != resource.m_nSize) {
        WriteLogFormat(L"%s Write file has failed\n", path.c_str());
        return Result::CorruptFile;
    }
    WriteLogFormat(L"%s written Ok\n", path.c_str());
    return Result::Ok;
}
