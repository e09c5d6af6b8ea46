#pragma once
// Removal of a folder with everything in it, over an interface to the file system so the
// walk (order, links, files in use, length limits, log lines) is platform-free.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What the removal asks of the file system. Every entry is listed, opened and deleted relative
// to the folder that was opened before it, never by its full path, so a folder swapped for a
// link between the listing and the deletion is not followed. The real one is
// SystemFolderTreeFiles; tests use a fake.
class FolderTreeFiles {
public:
    struct Entry {
        std::wstring name;
        bool isFolder = false;
        // A junction or symbolic link: removed as an entry, never entered.
        bool isLink = false;
        bool isReadOnly = false;
    };

    // How a deletion went.
    enum class Removal {
        Removed,
        // In use by a running process (or still held by one that just ended): worth another try.
        InUse,
        // Stays: read-only, a folder that still holds something, or gone already.
        Left,
    };

    // An open folder; its entries are reached through it.
    class Folder {
    public:
        virtual ~Folder() = default;
    };

    virtual ~FolderTreeFiles() = default;
    // Opens the folder at `path` without following a link; null when it cannot be opened or is
    // a link.
    virtual std::unique_ptr<Folder> OpenFolder(const std::wstring& path) = 0;
    // Opens the subfolder `name` of `parent`; null when it cannot be opened or is a link now.
    virtual std::unique_ptr<Folder> OpenSubfolder(Folder& parent, const std::wstring& name) = 0;
    // The entries of `folder`, "." and ".." included as the file system reports them; false
    // when the listing cannot start.
    virtual bool ListEntries(Folder& folder, std::vector<Entry>& entries) = 0;
    // Deletes the entry `name` of `parent`: a file, an empty folder, or a link itself.
    virtual Removal RemoveEntry(Folder& parent, const std::wstring& name, bool isReadOnly) = 0;
    // Removes the empty folder, or the link, at `path`.
    virtual Removal RemoveFolder(const std::wstring& path) = 0;
    // Writes one line to the diagnostic log.
    virtual void Log(const std::wstring& line) = 0;
};

// How a deletion that ended with the platform's error number `error` (0 for none) counts: a
// sharing or lock violation is a file in use, and so is a denied deletion of a file that is not
// read-only (a running program's own file, or one a process that just ended still maps); a
// read-only file, a folder not yet empty, or an entry already gone stays as it is.
FolderTreeFiles::Removal RemovalAfterError(uint32_t error, bool isReadOnly);

// The longest path the removal names in its log and its checks: the platform's MAX_PATH less
// the terminating zero.
constexpr size_t kMaxRemovalPath = 259;

// Deletes the files and subfolders of `folder`, depth first, then the folder itself. A link
// is removed itself and never descended into. An entry whose path would be longer than
// kMaxRemovalPath is skipped with a log line, and so is the listing of a folder whose search
// pattern ("\*.*" added) would be; the folder is still removed when it can be. What cannot be
// deleted stays. True when something was in use, so that another try may succeed.
bool DeleteFolderTree(const std::wstring& folder, FolderTreeFiles& files);
