// The folder-tree removal over a file system held in memory: the order of its work, links,
// and the path-length limits.
#include "payload/DeleteFolderTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

// A file system of full paths. Links are entries of their own: removing one removes only the
// link; the removal must never list or touch what lies behind it. Folders are opened by the
// removal and their entries reached through them, as the real one does with handles.
class FakeFiles : public FolderTreeFiles {
public:
    struct Node {
        bool isFolder = false;
        bool isLink = false;
        bool isReadOnly = false;
        bool inUse = false;
    };

    class FakeFolder : public Folder {
    public:
        explicit FakeFolder(std::wstring path) : m_path(std::move(path)) {}
        std::wstring m_path;
    };

    void AddFolder(const std::wstring& path) { Add(path, {true, false}); }
    void AddFile(const std::wstring& path) { Add(path, {false, false}); }
    void AddLink(const std::wstring& path, bool toFolder) { Add(path, {toFolder, true}); }
    void AddReadOnlyFile(const std::wstring& path) { Add(path, {false, false, true}); }
    void AddFileInUse(const std::wstring& path) { Add(path, {false, false, false, true}); }
    bool Exists(const std::wstring& path) const { return m_nodes.count(path) != 0; }
    // The folder at `path` is listed as a folder, then swapped for a link before it is opened.
    void SwapForLinkAfterListing(const std::wstring& path) { m_swapped.push_back(path); }

    std::unique_ptr<Folder> OpenFolder(const std::wstring& path) override { return Open(path); }

    std::unique_ptr<Folder> OpenSubfolder(Folder& parent, const std::wstring& name) override
    {
        EXPECT_EQ(name.find(L'\\'), std::wstring::npos) << "entries are named relative to their folder";
        return Open(PathOf(parent) + L"\\" + name);
    }

    bool ListEntries(Folder& folder, std::vector<Entry>& entries) override
    {
        const std::wstring path = PathOf(folder);
        m_listed.push_back(path);
        if (m_failListing)
            return false;
        entries.push_back({L".", true, false});
        entries.push_back({L"..", true, false});
        for (const std::wstring& child : m_order) {
            const auto node = m_nodes.find(child);
            if (node != m_nodes.end() && IsChildOf(child, path))
                entries.push_back({child.substr(path.size() + 1), node->second.isFolder, node->second.isLink,
                                   node->second.isReadOnly});
        }
        for (const std::wstring& swapped : m_swapped) {
            if (IsChildOf(swapped, path))
                m_nodes[swapped].isLink = true;
        }
        return true;
    }

    Removal RemoveEntry(Folder& parent, const std::wstring& name, bool) override
    {
        const std::wstring path = PathOf(parent) + L"\\" + name;
        m_operations.push_back(L"entry " + path);
        return Remove(path);
    }

    Removal RemoveFolder(const std::wstring& path) override
    {
        m_operations.push_back(L"folder " + path);
        return Remove(path);
    }

    void Log(const std::wstring& line) override { m_log.push_back(line); }

    std::vector<std::wstring> m_log;
    std::vector<std::wstring> m_listed;
    std::vector<std::wstring> m_operations;
    bool m_failListing = false;

private:
    void Add(const std::wstring& path, Node node)
    {
        m_nodes[path] = node;
        m_order.push_back(path);
    }

    static const std::wstring& PathOf(Folder& folder) { return static_cast<FakeFolder&>(folder).m_path; }

    std::unique_ptr<Folder> Open(const std::wstring& path)
    {
        const auto found = m_nodes.find(path);
        if (found == m_nodes.end() || !found->second.isFolder || found->second.isLink)
            return nullptr;
        return std::make_unique<FakeFolder>(path);
    }

    Removal Remove(const std::wstring& path)
    {
        const auto node = m_nodes.find(path);
        if (node == m_nodes.end())
            return Removal::Left;
        const Node& found = node->second;
        if (found.inUse)
            return Removal::InUse;
        if (found.isReadOnly)
            return Removal::Left;
        const bool empty = std::none_of(m_nodes.begin(), m_nodes.end(),
                                        [&](const auto& other) { return IsChildOf(other.first, path); });
        if (found.isFolder && !found.isLink && !empty)
            return Removal::Left;
        m_nodes.erase(node);
        return Removal::Removed;
    }

    static bool IsChildOf(const std::wstring& path, const std::wstring& folder)
    {
        return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 &&
               path[folder.size()] == L'\\' && path.find(L'\\', folder.size() + 1) == std::wstring::npos;
    }

    std::map<std::wstring, Node> m_nodes;
    std::vector<std::wstring> m_order;
    std::vector<std::wstring> m_swapped;
};

TEST(DeleteFolderTree, DeletesDepthFirstThenTheFolderItself)
{
    FakeFiles files;
    files.AddFolder(L"C:\\t\\{W}");
    files.AddFile(L"C:\\t\\{W}\\a.txt");
    files.AddFolder(L"C:\\t\\{W}\\sub");
    files.AddFile(L"C:\\t\\{W}\\sub\\b.txt");
    files.AddFolder(L"C:\\t\\{W}\\sub\\deeper");
    files.AddFile(L"C:\\t\\{W}\\sub\\deeper\\c.txt");
    files.AddFile(L"C:\\t\\{W}\\z.txt");

    EXPECT_FALSE(DeleteFolderTree(L"C:\\t\\{W}", files));

    const std::vector<std::wstring> expected = {
        L"Deletion file 'C:\\t\\{W}\\a.txt'\n",
        L"Deletion subfolder Folder of 'C:\\t\\{W}\\sub'\n",
        L"Deletion file 'C:\\t\\{W}\\sub\\b.txt'\n",
        L"Deletion subfolder Folder of 'C:\\t\\{W}\\sub\\deeper'\n",
        L"Deletion file 'C:\\t\\{W}\\sub\\deeper\\c.txt'\n",
        L"Remove Folder 'C:\\t\\{W}\\sub\\deeper'\n",
        L"Remove Folder 'C:\\t\\{W}\\sub'\n",
        L"Deletion file 'C:\\t\\{W}\\z.txt'\n",
        L"Remove Folder 'C:\\t\\{W}'\n",
    };
    EXPECT_EQ(files.m_log, expected);
    EXPECT_FALSE(files.Exists(L"C:\\t\\{W}"));
}

TEST(DeleteFolderTree, RemovesLinksThemselvesAndNeverEntersThem)
{
    FakeFiles files;
    files.AddFolder(L"C:\\Windows");
    files.AddFile(L"C:\\Windows\\important.dll");
    files.AddFolder(L"C:\\t\\{W}");
    files.AddLink(L"C:\\t\\{W}\\junction", true);
    files.AddLink(L"C:\\t\\{W}\\file-link.dll", false);

    DeleteFolderTree(L"C:\\t\\{W}", files);

    const std::vector<std::wstring> expectedLog = {
        L"Deletion link 'C:\\t\\{W}\\junction'\n",
        L"Deletion link 'C:\\t\\{W}\\file-link.dll'\n",
        L"Remove Folder 'C:\\t\\{W}'\n",
    };
    EXPECT_EQ(files.m_log, expectedLog);
    const std::vector<std::wstring> expectedListed = {L"C:\\t\\{W}"};
    EXPECT_EQ(files.m_listed, expectedListed) << "a link is never listed";
    const std::vector<std::wstring> expectedOperations = {
        L"entry C:\\t\\{W}\\junction",
        L"entry C:\\t\\{W}\\file-link.dll",
        L"folder C:\\t\\{W}",
    };
    EXPECT_EQ(files.m_operations, expectedOperations);
    EXPECT_TRUE(files.Exists(L"C:\\Windows\\important.dll"));
    EXPECT_FALSE(files.Exists(L"C:\\t\\{W}"));
}

TEST(DeleteFolderTree, SkipsEntriesBeyondTheLengthLimitWithALogLine)
{
    // A folder whose path leaves room for entry names of exactly the limit.
    const std::wstring folder = L"C:\\" + std::wstring(kMaxRemovalPath - 3 - 1 - 8, L'f');
    const std::wstring atLimit = folder + L"\\" + std::wstring(8, L'a');
    const std::wstring beyond = folder + L"\\" + std::wstring(9, L'b');
    ASSERT_EQ(atLimit.size(), kMaxRemovalPath);
    FakeFiles files;
    files.AddFolder(folder);
    files.AddFile(atLimit);
    files.AddFile(beyond);

    DeleteFolderTree(folder, files);

    const std::vector<std::wstring> expected = {
        L"Deletion file '" + atLimit + L"'\n",
        L"Path too long to delete '" + beyond + L"'\n",
        L"Remove Folder '" + folder + L"'\n",
    };
    EXPECT_EQ(files.m_log, expected);
    EXPECT_FALSE(files.Exists(atLimit));
    EXPECT_TRUE(files.Exists(beyond));
    EXPECT_TRUE(files.Exists(folder)) << "a folder still holding a file stays";
}

TEST(DeleteFolderTree, AFolderTooLongToSearchIsStillRemovedWhenEmpty)
{
    const std::wstring parent = L"C:\\" + std::wstring(kMaxRemovalPath - 7, L'p');
    const std::wstring child = parent + L"\\ch";  // its pattern, child + "\*.*", is 3 over the limit
    ASSERT_EQ((child + L"\\*.*").size(), kMaxRemovalPath + 3);
    FakeFiles files;
    files.AddFolder(parent);
    files.AddFolder(child);

    DeleteFolderTree(parent, files);

    const std::vector<std::wstring> expected = {
        L"Deletion subfolder Folder of '" + child + L"'\n",
        L"Path too long to search '" + child + L"'\n",
        L"Remove Folder '" + child + L"'\n",
        L"Remove Folder '" + parent + L"'\n",
    };
    EXPECT_EQ(files.m_log, expected);
    const std::vector<std::wstring> expectedListed = {parent};
    EXPECT_EQ(files.m_listed, expectedListed);
    EXPECT_FALSE(files.Exists(parent));
}

TEST(DeleteFolderTree, RemovesTheFolderEvenWhenTheListingCannotStart)
{
    FakeFiles files;
    files.AddFolder(L"C:\\t\\{W}\\");
    files.m_failListing = true;

    DeleteFolderTree(L"C:\\t\\{W}\\", files);

    const std::vector<std::wstring> expectedLog = {L"Remove Folder 'C:\\t\\{W}\\'\n"};
    EXPECT_EQ(files.m_log, expectedLog);
    EXPECT_FALSE(files.Exists(L"C:\\t\\{W}\\"));
}

TEST(DeleteFolderTree, AFolderSwappedForALinkAfterTheListingIsNotEntered)
{
    FakeFiles files;
    files.AddFolder(L"C:\\t\\{W}");
    files.AddFolder(L"C:\\t\\{W}\\sub");
    // What the link leads to once it stands there.
    files.AddFile(L"C:\\t\\{W}\\sub\\precious.txt");
    files.SwapForLinkAfterListing(L"C:\\t\\{W}\\sub");

    DeleteFolderTree(L"C:\\t\\{W}", files);

    const std::vector<std::wstring> expectedListed = {L"C:\\t\\{W}"};
    EXPECT_EQ(files.m_listed, expectedListed) << "the swapped folder is never listed";
    const std::vector<std::wstring> expectedOperations = {L"entry C:\\t\\{W}\\sub", L"folder C:\\t\\{W}"};
    EXPECT_EQ(files.m_operations, expectedOperations) << "only the link itself is removed";
    EXPECT_TRUE(files.Exists(L"C:\\t\\{W}\\sub\\precious.txt"));
    EXPECT_FALSE(files.Exists(L"C:\\t\\{W}\\sub"));
}

TEST(DeleteFolderTree, TellsWhenAFileWasInUseButNotForAReadOnlyOne)
{
    FakeFiles readOnly;
    readOnly.AddFolder(L"C:\\t\\{W}");
    readOnly.AddReadOnlyFile(L"C:\\t\\{W}\\locked.txt");
    readOnly.AddFile(L"C:\\t\\{W}\\plain.txt");
    EXPECT_FALSE(DeleteFolderTree(L"C:\\t\\{W}", readOnly)) << "a read-only file stays: no reason to try again";
    EXPECT_TRUE(readOnly.Exists(L"C:\\t\\{W}\\locked.txt"));
    EXPECT_FALSE(readOnly.Exists(L"C:\\t\\{W}\\plain.txt"));
    EXPECT_TRUE(readOnly.Exists(L"C:\\t\\{W}"));

    FakeFiles inUse;
    inUse.AddFolder(L"C:\\t\\{W}");
    inUse.AddFolder(L"C:\\t\\{W}\\sub");
    inUse.AddFileInUse(L"C:\\t\\{W}\\sub\\Installer.exe");
    EXPECT_TRUE(DeleteFolderTree(L"C:\\t\\{W}", inUse));
    EXPECT_TRUE(inUse.Exists(L"C:\\t\\{W}\\sub\\Installer.exe"));
}

TEST(RemovalAfterError, InUseIsWorthAnotherTryReadOnlyIsNot)
{
    using Removal = FolderTreeFiles::Removal;
    const struct {
        uint32_t error;
        bool isReadOnly;
        Removal removal;
    } cases[] = {
        {0, false, Removal::Removed},
        {32, false, Removal::InUse},   // ERROR_SHARING_VIOLATION: open without delete sharing
        {33, false, Removal::InUse},   // ERROR_LOCK_VIOLATION
        {5, false, Removal::InUse},    // ERROR_ACCESS_DENIED: a running program's own file
        {5, true, Removal::Left},      // ... or a read-only file, which stays
        {145, false, Removal::Left},   // ERROR_DIR_NOT_EMPTY
        {2, false, Removal::Left},     // ERROR_FILE_NOT_FOUND
        {681, false, Removal::Left},   // a link where a folder was
    };
    for (const auto& c : cases)
        EXPECT_EQ(RemovalAfterError(c.error, c.isReadOnly), c.removal) << c.error << (c.isReadOnly ? " read-only" : "");
}

} // namespace
