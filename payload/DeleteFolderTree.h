#pragma once
// Removal of a folder with everything in it, over an interface to the file system so the
// walk (order, links, length limits, log lines) is platform-free.
#include <string>
#include <vector>

// What the removal asks of the file system. The real one is SystemFolderTreeFiles; tests use
// a fake.
class FolderTreeFiles {
public:
    struct Entry {
        std::wstring name;
        bool isFolder = false;
        // A junction or symbolic link: removed as an entry, never entered.
        bool isLink = false;
    };

    virtual ~FolderTreeFiles() = default;
    // The entries matching `pattern` (a folder path followed by "\*.*"), "." and ".." included
    // as the file system reports them; false when the search cannot start.
    virtual bool ListEntries(const std::wstring& pattern, std::vector<Entry>& entries) = 0;
    // Deletes a file or a file link; failures are ignored.
    virtual void RemoveFile(const std::wstring& path) = 0;
    // Removes an empty folder or a folder link; failures are ignored.
    virtual void RemoveFolder(const std::wstring& path) = 0;
    // Writes one line to the diagnostic log.
    virtual void Log(const std::wstring& line) = 0;
};

// The longest path the removal hands to the file system: the platform's MAX_PATH less the
// terminating zero.
constexpr size_t kMaxRemovalPath = 259;

// Deletes the files and subfolders of `folder`, depth first, then the folder itself. A link
// is removed itself and never descended into. An entry whose path would be longer than
// kMaxRemovalPath is skipped with a log line, and so is the search of a folder whose search
// pattern would be; the folder is still removed when it can be. Nothing is reported: what
// cannot be deleted stays.
void DeleteFolderTree(const std::wstring& folder, FolderTreeFiles& files);
