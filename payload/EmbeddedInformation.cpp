#include "payload/EmbeddedInformation.h"

#include "app/BrennixInstallerApp.h"
#include "app/Log.h"
#include "framework/CodePage.h"
#include "framework/Handles.h"
#include "framework/LongPath.h"
#include "payload/EmbeddedInformationScan.h"
#include "payload/RelativeFiles.h"
#include "payload/TempFolder.h"

#include <cstring>

namespace Embedded = EmbeddedInformation;

namespace {

// Logs the data as text: read in the thread's ANSI code page and shown up to its first zero byte.
void LogFoundData(const uint8_t* data, size_t size)
{
    LocalMemory copy(LocalAlloc(LPTR, size + 1));
    if (!copy) {
        WriteLogFormat(L"Failed to allocate %d bytes\r\n", static_cast<int>(size + 1));
        return;
    }
    char* text = static_cast<char*>(copy.Get());
    std::memcpy(text, data, size);
    const std::wstring shown = FromThreadAnsi(text, std::strlen(text));
    WriteLogFormat(L"Found embedded information '%s'\r\n", shown.c_str());
}

constexpr wchar_t kInfoFileName[] = L"info.xml";

// Writes the data to a new "info.xml" in the working folder, made relative to the open folder
// (a link or hard link under that name is replaced, not written through), and logs how that
// went, naming the file by `outputPath`.
void WriteDataFile(const std::wstring& outputPath, const uint8_t* data, size_t size)
{
    FileHandle output;
    const DWORD error = CreateFreshFile(GetTempFolderHandle(), kInfoFileName, output);
    if (error != ERROR_SUCCESS) {
        WriteLogFormat(L"Failed to create temp file %s %ld\r\n", outputPath.c_str(), static_cast<long>(error));
        return;
    }
    DWORD written = 0;
    const bool complete = WriteFile(output.Get(), data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    // A partly written file stays: the installer may still read what is there.
    WriteLogFormat(complete ? L"Written out embedded information %ld bytes to file %s\r\n"
                            : L"Write fail for embedded information %ld bytes to file %s\r\n",
                   static_cast<int32_t>(size), outputPath.c_str());
}

} // namespace

ResultCode WriteEmbeddedInformation()
{
    std::wstring outputPath;
    if (!GetTempFolder(outputPath))
        return Result::Ok;  // the working folder cannot be used (logged there): nothing to write into
    if (!outputPath.empty() && outputPath.back() != L'\\')
        outputPath += L'\\';
    outputPath += kInfoFileName;
    return ScanForEmbeddedInformation(outputPath);
}

ResultCode ScanForEmbeddedInformation(const std::wstring& outputPath)
{
    const std::wstring setupPath = GetModulePath();
    FileHandle setup(CreateFileW(ExtendedLengthPath(setupPath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    const DWORD openError = GetLastError();
    WriteLog(L"Scanning for Signature\r\n");
    if (!setup) {
        WriteLogFormat(L"Failed to open installer file %s %x\r\n", setupPath.c_str(), openError);
        return Result::Ok;
    }

    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(setup.Get(), &size) || !Embedded::IsLargeEnoughToScan(static_cast<uint64_t>(size.QuadPart)))
        return Result::Ok;
    LARGE_INTEGER windowStart = {};
    windowStart.QuadPart = -static_cast<LONGLONG>(Embedded::kWindowOffsetFromEnd);
    if (!SetFilePointerEx(setup.Get(), windowStart, nullptr, FILE_END))
        return Result::Ok;
    uint8_t window[Embedded::kWindowSize] = {};
    DWORD read = 0;
    if (!ReadFile(setup.Get(), window, sizeof(window), &read, nullptr) || read != sizeof(window))
        return Result::Ok;

    const Embedded::ScanResult found = Embedded::ScanWindow(window, sizeof(window));
    if (found.outcome != Embedded::ScanOutcome::Found)
        return Result::Ok;
    LogFoundData(window + found.dataIndex, found.dataSize);
    WriteDataFile(outputPath, window + found.dataIndex, found.dataSize);
    return Result::Ok;
}
