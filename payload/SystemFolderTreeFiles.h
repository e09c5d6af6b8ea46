#pragma once
// The file system as the folder-tree removal sees it, through Win32.
#include "payload/DeleteFolderTree.h"

class SystemFolderTreeFiles : public FolderTreeFiles {
public:
    bool ListEntries(const std::wstring& pattern, std::vector<Entry>& entries) override;
    void RemoveFile(const std::wstring& path) override;
    void RemoveFolder(const std::wstring& path) override;
    void Log(const std::wstring& line) override;
};
