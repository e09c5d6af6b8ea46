#include "payload/DeleteFolderTree.h"

#include "framework/Format.h"

namespace {

bool IsDotEntry(const std::wstring& name)
{
    return name == L"." || name == L"..";
}

std::wstring WithSeparator(const std::wstring& folder)
{
    return !folder.empty() && folder.back() == L'\\' ? folder : folder + L'\\';
}

class TreeRemoval {
public:
    explicit TreeRemoval(FolderTreeFiles& files) : m_files(files) {}

    // Deletes what `folder` (open, at `path`) holds. Its own removal is the caller's.
    void DeleteContents(FolderTreeFiles::Folder& folder, const std::wstring& path)
    {
        const std::wstring folderPart = WithSeparator(path);
        std::vector<FolderTreeFiles::Entry> entries;
        if ((folderPart + L"*.*").size() > kMaxRemovalPath)
            m_files.Log(FormatString(L"Path too long to search '%s'\n", path.c_str()));
        else if (!m_files.ListEntries(folder, entries))
            entries.clear();

        for (const FolderTreeFiles::Entry& entry : entries) {
            if (entry.isFolder && IsDotEntry(entry.name))
                continue;
            const std::wstring entryPath = folderPart + entry.name;
            if (entryPath.size() > kMaxRemovalPath) {
                m_files.Log(FormatString(L"Path too long to delete '%s'\n", entryPath.c_str()));
                continue;
            }
            DeleteEntry(folder, entry, entryPath);
        }
    }

    void Note(FolderTreeFiles::Removal removal)
    {
        if (removal == FolderTreeFiles::Removal::InUse)
            m_inUse = true;
    }

    bool InUse() const { return m_inUse; }

private:
    void DeleteEntry(FolderTreeFiles::Folder& parent, const FolderTreeFiles::Entry& entry, const std::wstring& path)
    {
        if (entry.isLink) {
            m_files.Log(FormatString(L"Deletion link '%s'\n", path.c_str()));
        } else if (entry.isFolder) {
            m_files.Log(FormatString(L"Deletion subfolder Folder of '%s'\n", path.c_str()));
            // Not opened when it has become a link since the listing: then only the link goes.
            if (std::unique_ptr<FolderTreeFiles::Folder> subfolder = m_files.OpenSubfolder(parent, entry.name))
                DeleteContents(*subfolder, path);
            m_files.Log(FormatString(L"Remove Folder '%s'\n", path.c_str()));
        } else {
            m_files.Log(FormatString(L"Deletion file '%s'\n", path.c_str()));
        }
        Note(m_files.RemoveEntry(parent, entry.name, entry.isReadOnly));
    }

    FolderTreeFiles& m_files;
    bool m_inUse = false;
};

} // namespace

FolderTreeFiles::Removal RemovalAfterError(uint32_t error, bool isReadOnly)
{
    constexpr uint32_t kAccessDenied = 5, kSharingViolation = 32, kLockViolation = 33;
    using Removal = FolderTreeFiles::Removal;
    if (error == 0)
        return Removal::Removed;
    if (error == kSharingViolation || error == kLockViolation)
        return Removal::InUse;
    if (error == kAccessDenied)
        return isReadOnly ? Removal::Left : Removal::InUse;
    return Removal::Left;
}

bool DeleteFolderTree(const std::wstring& folder, FolderTreeFiles& files)
{
    TreeRemoval removal(files);
    if (std::unique_ptr<FolderTreeFiles::Folder> opened = files.OpenFolder(folder))
        removal.DeleteContents(*opened, folder);
    files.Log(FormatString(L"Remove Folder '%s'\n", folder.c_str()));
    removal.Note(files.RemoveFolder(folder));
    return removal.InUse();
}
