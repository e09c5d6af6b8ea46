#include "payload/SystemFolderTreeFiles.h"

#include "app/Log.h"
#include "framework/Handles.h"

bool SystemFolderTreeFiles::ListEntries(const std::wstring& pattern, std::vector<Entry>& entries)
{
    WIN32_FIND_DATAW data = {};
    FindHandle search(FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0));
    if (!search)
        return false;
    do {
        Entry entry;
        entry.name = data.cFileName;
        entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entries.push_back(std::move(entry));
    } while (FindNextFileW(search.Get(), &data));
    return true;
}

void SystemFolderTreeFiles::RemoveFile(const std::wstring& path)
{
    // On a file link this removes the link, not its target.
    ::DeleteFileW(path.c_str());
}

void SystemFolderTreeFiles::RemoveFolder(const std::wstring& path)
{
    // On a junction or folder link this removes the link, not its target.
    ::RemoveDirectoryW(path.c_str());
}

void SystemFolderTreeFiles::Log(const std::wstring& line)
{
    WriteLog(line);
}
