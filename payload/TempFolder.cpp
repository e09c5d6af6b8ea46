#include "payload/TempFolder.h"

#include "app/Log.h"
#include "framework/Handles.h"
#include "payload/DeleteFolderTree.h"
#include "payload/FilePath.h"
#include "payload/FolderAccess.h"
#include "payload/LinkCheck.h"
#include "payload/PathJoin.h"
#include "payload/RelativeFiles.h"
#include "payload/SystemFolderTreeFiles.h"

#include <objbase.h>
#include <shlobj.h>

namespace {

enum class WorkFolderState { NotMade, Made, Refused };

// Worker thread only.
std::wstring s_strBaseFolder;
std::wstring s_strWorkFolder;
bool s_bZeroGuid = false;
WorkFolderState s_eWorkFolderState = WorkFolderState::NotMade;
// The working folder, held open from its making to its removal: files are made and deleted
// relative to it, never through its path.
FileHandle s_workFolder;

// A file held by a program that has just ended (or crashed) is let go a moment later: the
// removal tries again for a short while before it leaves what is still in use.
constexpr int kRemovalTries = 15;
constexpr DWORD kRemovalPauseMs = 200;

constexpr wchar_t kUnconvertibleGuidName[] = L"{00000001-0000-0000-0000-000000000001}";
// Used when no fresh GUID can be had.
constexpr GUID kPredefinedGuid = {0x66EC6C3A, 0x0B4A, 0x4CAB, {0xA2, 0x4A, 0x53, 0xB2, 0xD4, 0x17, 0x6C, 0xD1}};

// The GUID in registry format; false when it cannot be turned into text.
bool GuidToText(const GUID& guid, std::wstring& text)
{
    wchar_t buffer[50] = {};
    if (StringFromGUID2(guid, buffer, 50) == 0)
        return false;
    text = buffer;
    return true;
}

// Makes the working folder's name; the log lines show how it was chosen.
std::wstring MakeWorkFolderName()
{
    GUID guid = {};
    if (!s_bZeroGuid) {
        WriteLog(L"Set GUID in folder name\n");
        if (CoCreateGuid(&guid) != S_OK) {
            WriteLog(L"Failed to create GUID using predefined\n");
            guid = kPredefinedGuid;
        }
    }
    std::wstring name;
    if (!GuidToText(guid, name)) {
        name = kUnconvertibleGuidName;
        WriteLog(L"Failed to convert GUID to string\n");
    }
    return name;
}

// Makes the working folder and returns its new state.
WorkFolderState MakeWorkFolder()
{
    if (!JoinPath(s_strBaseFolder, MakeWorkFolderName(), s_strWorkFolder)) {
        WriteLogFormat(L"Temp folder path too long '%s'\n", s_strBaseFolder.c_str());
        return WorkFolderState::Refused;
    }
    // An existing folder (a fixed name from an earlier run) is simply used.
    SHCreateDirectoryExW(nullptr, s_strWorkFolder.c_str(), nullptr);
    // A link planted under the fixed name would steer every write, and the access list, elsewhere.
    // Wine shows a link only through its path, Windows also through the handle.
    if (IsLink(s_strWorkFolder) || OpenFolderNoFollow(s_strWorkFolder, s_workFolder) == kErrorIsLink) {
        WriteLogFormat(L"Temp folder '%s' is a link, not used\n", s_strWorkFolder.c_str());
        return WorkFolderState::Refused;
    }
    if (!IsFolderOwnedByThisRun(s_strWorkFolder)) {
        s_workFolder = FileHandle();
        WriteLogFormat(L"Temp folder '%s' belongs to another user, not used\n", s_strWorkFolder.c_str());
        return WorkFolderState::Refused;
    }
    GrantFolderAccess(s_strWorkFolder);
    WriteLogFormat(L"Set the temp folder to be '%s'\n", s_strWorkFolder.c_str());
    return WorkFolderState::Made;
}

} // namespace

ResultCode ProbeTempFolder(const std::wstring& base)
{
    s_strBaseFolder = base;
    WriteLogFormat(L"Set temp folder '%s'\n", base.c_str());
    // Only one level is made: a missing parent makes the probe below fail.
    CreateDirectoryW(base.c_str(), nullptr);

    GUID guid = {};
    CoCreateGuid(&guid);
    std::wstring name;
    if (!GuidToText(guid, name))
        name = kUnconvertibleGuidName;
    // The probe file's name is as long as the working folder's, so a base that passes leaves
    // room for the working folder.
    std::wstring probePath;
    if (!JoinPath(base, name, probePath)) {
        WriteLogFormat(L"Temp folder path too long '%s'\n", base.c_str());
        return Result::Fail;
    }
    FileHandle probe(CreateFileW(probePath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!probe) {
        WriteLogFormat(L"Failed to create temp file '%s'\n", probePath.c_str());
        return Result::Fail;
    }
    WriteLogFormat(L"Successfully created temp file '%s'\n", probePath.c_str());
    return Result::Ok;  // the file vanishes as its handle closes
}

void SetZeroGuid()
{
    s_bZeroGuid = true;
}

HANDLE GetTempFolderHandle()
{
    std::wstring path;
    return GetTempFolder(path) ? s_workFolder.Get() : INVALID_HANDLE_VALUE;
}

bool GetTempFolder(std::wstring& path)
{
    if (s_eWorkFolderState == WorkFolderState::NotMade)
        s_eWorkFolderState = MakeWorkFolder();
    if (s_eWorkFolderState != WorkFolderState::Made) {
        path.clear();
        return false;
    }
    path = s_strWorkFolder;
    return true;
}

ResultCode RemoveTempFolder(const ResourceList& resources)
{
    std::wstring workFolder;
    if (!GetTempFolder(workFolder)) {
        WriteLog(L"Temp folder not in use, nothing removed\n");
        return Result::Ok;
    }
    for (const CResource& resource : resources) {
        std::wstring path;
        if (!GetFilePath(resource, path) || path.empty())
            continue;
        if (IsReachedThroughLink(workFolder, resource.m_strFileName)) {
            WriteLogFormat(L"'%s' is reached through a link, not deleted\n", path.c_str());
            continue;
        }
        WriteLogFormat(L"Manual Deletion of '%s'\n", path.c_str());
        if (!resource.m_strFileName.empty() && s_workFolder)
            DeleteBelow(s_workFolder.Get(), resource.m_strFileName);
    }

    // Let go of the working folder, which the launch made the current directory.
    s_workFolder = FileHandle();
    SetCurrentDirectoryW(L"\\");
    WriteLogFormat(L"Deletion Folder of '%s'\n", workFolder.c_str());
    SystemFolderTreeFiles files;
    for (int attempt = 1; DeleteFolderTree(workFolder, files) && attempt < kRemovalTries; ++attempt) {
        WriteLogFormat(L"Files in use, removing '%s' again\n", workFolder.c_str());
        Sleep(kRemovalPauseMs);
    }
    return Result::Ok;
}
