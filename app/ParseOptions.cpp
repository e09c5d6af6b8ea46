// The command line's platform side: the default temp folder's queries, absolute paths, the
// folder test and the log.
#include "app/BrennixInstallerApp.h"
#include "app/CommandLineInfoEx.h"
#include "app/DefaultTempFolder.h"
#include "app/Log.h"
#include "app/OptionResolution.h"
#include "framework/CodePage.h"
#include "framework/ShellPath.h"

#include <shlobj.h>

#include <cstdlib>

namespace {

// Buffers of the default temp folder's queries, in characters.
constexpr DWORD kQueryBufferLength = 1024;
// The runtime's absolute paths: at most 260 characters and the terminator.
constexpr size_t kFullPathBufferLength = 261;
constexpr wchar_t kCompanyFolder[] = L"\\Corvane";

std::optional<std::wstring> QueryTempPath()
{
    wchar_t buffer[kQueryBufferLength] = L"";
    const DWORD length = GetTempPathW(kQueryBufferLength, buffer);
    if (length == 0 || length >= kQueryBufferLength)
        return std::nullopt;
    return std::wstring(buffer, length);
}

std::optional<std::wstring> QueryShellFolder(int folder)
{
    wchar_t buffer[kQueryBufferLength] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        return std::nullopt;
    return std::wstring(buffer);
}

std::wstring QuerySystemDrive()
{
    wchar_t buffer[kQueryBufferLength] = L"";
    const DWORD length = GetEnvironmentVariableW(L"SystemDrive", buffer, kQueryBufferLength);
    return length > 0 && length < kQueryBufferLength ? std::wstring(buffer, length) : std::wstring();
}

// The common application data folder with the company folder appended; unchanged when the
// shell cannot append it.
std::wstring WithCompanyFolder(const std::wstring& folder)
{
    wchar_t buffer[MAX_PATH] = L"";
    if (folder.size() >= MAX_PATH)
        return folder;
    folder.copy(buffer, folder.size());
    return PathAppendSystem(buffer, kCompanyFolder) ? std::wstring(buffer) : folder;
}

class WindowsOptionEnvironment : public OptionEnvironment {
public:
    std::wstring DefaultTempFolder() override
    {
        DefaultTempCandidates candidates;
        candidates.tempPath = QueryTempPath();
        candidates.appData = QueryShellFolder(CSIDL_APPDATA);
        candidates.commonAppData = QueryShellFolder(CSIDL_COMMON_APPDATA);
        switch (ChooseDefaultTempFolder(candidates)) {
        case DefaultTempSource::TempPath:
            return *candidates.tempPath;
        case DefaultTempSource::AppData:
            return *candidates.appData;
        case DefaultTempSource::CommonAppData:
            return *candidates.commonAppData;
        case DefaultTempSource::CommonAppDataWithCompanyFolder:
            return WithCompanyFolder(*candidates.commonAppData);
        case DefaultTempSource::SystemDrive:
            break;
        }
        return QuerySystemDrive();
    }

    bool FullPath(const std::wstring& path, std::wstring& absolute) override
    {
        wchar_t buffer[kFullPathBufferLength] = L"";
        if (_wfullpath(buffer, path.c_str(), kFullPathBufferLength) == nullptr)
            return false;
        absolute = buffer;
        return true;
    }

    bool IsExistingFolder(const std::wstring& path) override
    {
        return PathIsDirectoryAnsiSystem(ToThreadAnsi(path).c_str()) != FALSE;
    }

    void OpenLog(const std::wstring& path) override { OpenLogFile(ToThreadAnsi(path)); }

    void WriteLog(const std::wstring& text) override { ::WriteLog(text); }
};

} // namespace

ResultCode CBrennixInstallerApp::ParseOptions()
{
    CCommandLineInfoEx info;
    ParseCommandLine(info);

    WindowsOptionEnvironment environment;
    RunOptions options;
    const ResultCode result = ResolveOptions(info, m_strProgramName, environment, options);

    m_bZeroGuid = options.zeroGuid;
    m_bRemoveTempFolder = options.removeTempFolder;
    m_bRunInstaller = options.runInstaller;
    m_bSilent = options.silent;
    if (options.showHelp)
        m_bShowHelp = true;
    m_strTempFolder = options.tempFolder;
    m_strCommandLine = options.commandLine;
    return result;
}
