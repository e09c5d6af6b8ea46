#include "payload/DeleteFolderTree.h"

#include "framework/Format.h"

namespace {

bool IsDotEntry(const std::wstring& name)
{
    return name == L"." || name == L"..";
}

void DeleteEntry(const std::wstring& path, const FolderTreeFiles::Entry& entry, FolderTreeFiles& files)
{
    if (entry.isLink) {
        files.Log(FormatString(L"Deletion link '%s'\n", path.c_str()));
        if (entry.isFolder)
            files.RemoveFolder(path);
        else
            files.RemoveFile(path);
    } else if (entry.isFolder) {
        files.Log(FormatString(L"Deletion subfolder Folder of '%s'\n", path.c_str()));
        DeleteFolderTree(path, files);
    } else {
        files.Log(FormatString(L"Deletion file '%s'\n", path.c_str()));
        files.RemoveFile(path);
    }
}

} // namespace

void DeleteFolderTree(const std::wstring& folder, FolderTreeFiles& files)
{
    std::wstring folderPart = folder;
    if (folderPart.empty() || folderPart.back() != L'\\')
        folderPart += L'\\';
    const std::wstring pattern = folderPart + L"*.*";

    std::vector<FolderTreeFiles::Entry> entries;
    if (pattern.size() > kMaxRemovalPath)
        files.Log(FormatString(L"Path too long to search '%s'\n", folder.c_str()));
    else if (!files.ListEntries(pattern, entries))
        entries.clear();

    for (const FolderTreeFiles::Entry& entry : entries) {
        if (entry.isFolder && IsDotEntry(entry.name))
            continue;
        const std::wstring path = folderPart + entry.name;
        if (path.size() > kMaxRemovalPath) {
            files.Log(FormatString(L"Path too long to delete '%s'\n", path.c_str()));
            continue;
        }
        DeleteEntry(path, entry, files);
    }

    files.Log(FormatString(L"Remove Folder '%s'\n", folder.c_str()));
    files.RemoveFolder(folder);
}
