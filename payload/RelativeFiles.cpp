#include "payload/RelativeFiles.h"

#include "payload/ReparsePoint.h"

#include <winternl.h>

namespace {

// Entries are made through a folder handle without write access to the folder itself: the
// platform checks the folder's access list, not the handle. Holding only read-type access also
// leaves every other opener's sharing alone, such as a program's current directory.
constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// The folder part of `relativeName` (up to its last separator) and the file's own name.
void SplitLastElement(const std::wstring& relativeName, std::wstring& folderPart, std::wstring& name)
{
    size_t last = relativeName.size();
    while (last > 0 && !IsSeparator(relativeName[last - 1]))
        --last;
    folderPart = relativeName.substr(0, last);
    name = relativeName.substr(last);
}

// DeleteEntry, with `options` limiting what the entry may be (FILE_NON_DIRECTORY_FILE: no folder).
DWORD DeleteEntryOf(HANDLE folder, const std::wstring& name, ULONG options);

} // namespace

bool IsLinkHandle(HANDLE handle)
{
    FILE_ATTRIBUTE_TAG_INFO tag = {};
    if (GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof(tag)))
        return IsLinkEntry(tag.FileAttributes, tag.ReparseTag);
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(handle, &information))
        return true;
    return IsLinkEntry(information.dwFileAttributes, 0);
}

DWORD OpenFolderNoFollow(const std::wstring& path, FileHandle& folder)
{
    FileHandle opened(CreateFileW(path.c_str(), kFolderAccess | SYNCHRONIZE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!opened)
        return GetLastError();
    if (IsLinkHandle(opened.Get()))
        return kErrorIsLink;
    folder = std::move(opened);
    return ERROR_SUCCESS;
}

DWORD OpenEntry(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG disposition, ULONG options,
                FileHandle& entry, ULONG share)
{
    if (folder == nullptr || folder == INVALID_HANDLE_VALUE)
        return ERROR_INVALID_HANDLE;
    if (name.empty() || name.size() * sizeof(wchar_t) > 0xFFFE)
        return ERROR_INVALID_NAME;
    UNICODE_STRING unicodeName;
    unicodeName.Buffer = const_cast<PWSTR>(name.c_str());
    unicodeName.Length = unicodeName.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &unicodeName, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK status = {};
    HANDLE opened = nullptr;
    const NTSTATUS result =
        NtCreateFile(&opened, access | SYNCHRONIZE, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL, share, disposition,
                     options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (result < 0)
        return RtlNtStatusToDosError(result);
    entry = FileHandle(opened);
    return ERROR_SUCCESS;
}

DWORD OpenSubfolders(HANDLE folder, const std::wstring& relativeFolder, bool make, FileHandle& subfolder)
{
    // INVALID_HANDLE_VALUE would name this process to the platform, not a folder.
    if (folder == nullptr || folder == INVALID_HANDLE_VALUE)
        return ERROR_INVALID_HANDLE;
    FileHandle current;
    HANDLE parent = folder;
    size_t start = 0;
    while (start < relativeFolder.size()) {
        size_t end = start;
        while (end < relativeFolder.size() && !IsSeparator(relativeFolder[end]))
            ++end;
        if (end > start) {
            FileHandle next;
            const DWORD error = OpenEntry(parent, relativeFolder.substr(start, end - start),
                                          kFolderAccess,
                                          make ? FILE_OPEN_IF : FILE_OPEN, FILE_DIRECTORY_FILE, next);
            if (error != ERROR_SUCCESS)
                return error;
            if (IsLinkHandle(next.Get()))
                return kErrorIsLink;
            current = std::move(next);
            parent = current.Get();
        }
        start = end + 1;
    }
    if (!current) {
        HANDLE duplicate = nullptr;
        if (!DuplicateHandle(GetCurrentProcess(), folder, GetCurrentProcess(), &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS))
            return GetLastError();
        current = FileHandle(duplicate);
    }
    subfolder = std::move(current);
    return ERROR_SUCCESS;
}

namespace {

DWORD DeleteEntryOf(HANDLE folder, const std::wstring& name, ULONG options)
{
    FileHandle entry;
    const DWORD error = OpenEntry(folder, name, DELETE | FILE_READ_ATTRIBUTES, FILE_OPEN, options, entry);
    if (error != ERROR_SUCCESS)
        return error;
    // Marked on this handle, the entry goes when the handle closes: whatever now stands under
    // the name, it is this entry (the link itself, for a link) that goes.
    FILE_DISPOSITION_INFO disposition = {TRUE};
    if (!SetFileInformationByHandle(entry.Get(), FileDispositionInfo, &disposition, sizeof(disposition)))
        return GetLastError();
    return ERROR_SUCCESS;
}

} // namespace

DWORD DeleteEntry(HANDLE folder, const std::wstring& name)
{
    return DeleteEntryOf(folder, name, 0);
}

DWORD CreateFreshFile(HANDLE folder, const std::wstring& relativeName, FileHandle& file)
{
    std::wstring folderPart, name;
    SplitLastElement(relativeName, folderPart, name);
    FileHandle parent;
    DWORD error = OpenSubfolders(folder, folderPart, true, parent);
    if (error != ERROR_SUCCESS)
        return error;
    // Replacing in place would write through a hard link, or a file link, into another file. A
    // folder (or a folder link) under the name is not ours to remove: it stays, and no file is made.
    error = DeleteEntryOf(parent.Get(), name, FILE_NON_DIRECTORY_FILE);
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND)
        return error;
    FileHandle created;
    error = OpenEntry(parent.Get(), name, GENERIC_WRITE, FILE_CREATE, FILE_NON_DIRECTORY_FILE, created, 0);
    if (error != ERROR_SUCCESS)
        return error;
    file = std::move(created);
    return ERROR_SUCCESS;
}

DWORD DeleteBelow(HANDLE folder, const std::wstring& relativeName)
{
    std::wstring folderPart, name;
    SplitLastElement(relativeName, folderPart, name);
    FileHandle parent;
    const DWORD error = OpenSubfolders(folder, folderPart, false, parent);
    return error != ERROR_SUCCESS ? error : DeleteEntry(parent.Get(), name);
}
