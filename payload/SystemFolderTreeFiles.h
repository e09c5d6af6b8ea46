#pragma once
// The file system as the folder-tree removal sees it, through Win32: folders are held open and
// their entries opened and deleted relative to them, without following links.
#include "payload/DeleteFolderTree.h"

class SystemFolderTreeFiles : public FolderTreeFiles {
public:
    std::unique_ptr<Folder> OpenFolder(const std::wstring& path) override;
    std::unique_ptr<Folder> OpenSubfolder(Folder& parent, const std::wstring& name) override;
    bool ListEntries(Folder& folder, std::vector<Entry>& entries) override;
    Removal RemoveEntry(Folder& parent, const std::wstring& name, bool isReadOnly) override;
    Removal RemoveFolder(const std::wstring& path) override;
    void Log(const std::wstring& line) override;
};
