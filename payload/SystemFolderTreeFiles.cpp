#include "payload/SystemFolderTreeFiles.h"

#include "app/Log.h"
#include "framework/Handles.h"
#include "payload/LinkCheck.h"
#include "payload/RelativeFiles.h"
#include "payload/ReparsePoint.h"


namespace {

class SystemFolder : public FolderTreeFiles::Folder {
public:
    explicit SystemFolder(FileHandle handle) : m_handle(std::move(handle)) {}
    HANDLE Get() const { return m_handle.Get(); }

private:
    FileHandle m_handle;
};

HANDLE HandleOf(FolderTreeFiles::Folder& folder)
{
    return static_cast<SystemFolder&>(folder).Get();
}

} // namespace

std::unique_ptr<FolderTreeFiles::Folder> SystemFolderTreeFiles::OpenFolder(const std::wstring& path)
{
    // Wine shows a link only through its path, Windows through the handle: both are asked.
    if (IsLink(path))
        return nullptr;
    FileHandle folder;
    if (OpenFolderNoFollow(path, folder) != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<SystemFolder>(std::move(folder));
}

std::unique_ptr<FolderTreeFiles::Folder> SystemFolderTreeFiles::OpenSubfolder(Folder& parent, const std::wstring& name)
{
    FileHandle folder;
    if (OpenEntry(HandleOf(parent), name, FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES, FILE_OPEN,
                  FILE_DIRECTORY_FILE, folder) != ERROR_SUCCESS ||
        IsLinkHandle(folder.Get()))
        return nullptr;
    return std::make_unique<SystemFolder>(std::move(folder));
}

bool SystemFolderTreeFiles::ListEntries(Folder& folder, std::vector<Entry>& entries)
{
    alignas(8) BYTE buffer[16384];
    FILE_INFO_BY_HANDLE_CLASS request = FileIdBothDirectoryRestartInfo;
    bool listed = false;
    while (GetFileInformationByHandleEx(HandleOf(folder), request, buffer, sizeof(buffer))) {
        listed = true;
        request = FileIdBothDirectoryInfo;
        size_t offset = 0;
        for (;;) {
            const auto* information = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer + offset);
            Entry entry;
            entry.name.assign(information->FileName, information->FileNameLength / sizeof(wchar_t));
            entry.isFolder = (information->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            // For a reparse point the listing gives its tag where extended attributes would be.
            entry.isLink = IsLinkEntry(information->FileAttributes, information->EaSize);
            entry.isReadOnly = (information->FileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
            entries.push_back(std::move(entry));
            if (information->NextEntryOffset == 0)
                break;
            offset += information->NextEntryOffset;
        }
    }
    return listed || GetLastError() == ERROR_NO_MORE_FILES;
}

FolderTreeFiles::Removal SystemFolderTreeFiles::RemoveEntry(Folder& parent, const std::wstring& name, bool isReadOnly)
{
    return RemovalAfterError(DeleteEntry(HandleOf(parent), name), isReadOnly);
}

FolderTreeFiles::Removal SystemFolderTreeFiles::RemoveFolder(const std::wstring& path)
{
    // On a junction or folder link this removes the link, not its target.
    if (::RemoveDirectoryW(path.c_str()))
        return Removal::Removed;
    return RemovalAfterError(GetLastError(), false);
}

void SystemFolderTreeFiles::Log(const std::wstring& line)
{
    WriteLog(line);
}
