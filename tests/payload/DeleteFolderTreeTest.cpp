// The folder-tree removal over a file system held in memory: the order of its work, links,
// and the path-length limits.
#include "payload/DeleteFolderTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

// A file system of full paths. Links are entries of their own: removing one removes only the
// link; the removal must never list or touch what lies behind it.
class FakeFiles : public FolderTreeFiles {
public:
    struct Node {
        bool isFolder = false;
        bool isLink = false;
    };

    void AddFolder(const std::wstring& path) { m_nodes[path] = {true, false}; m_order.push_back(path); }
    void AddFile(const std::wstring& path) { m_nodes[path] = {false, false}; m_order.push_back(path); }
    void AddLink(const std::wstring& path, bool toFolder) { m_nodes[path] = {toFolder, true}; m_order.push_back(path); }
    bool Exists(const std::wstring& path) const { return m_nodes.count(path) != 0; }

    bool ListEntries(const std::wstring& pattern, std::vector<Entry>& entries) override
    {
        m_patterns.push_back(pattern);
        const std::wstring suffix = L"\\*.*";
        EXPECT_EQ(pattern.substr(pattern.size() - suffix.size()), suffix);
        const std::wstring folder = pattern.substr(0, pattern.size() - suffix.size());
        const auto found = m_nodes.find(folder);
        if (found == m_nodes.end() || !found->second.isFolder || found->second.isLink || m_failSearch)
            return false;
        entries.push_back({L".", true, false});
        entries.push_back({L"..", true, false});
        for (const std::wstring& path : m_order) {
            const auto node = m_nodes.find(path);
            if (node != m_nodes.end() && IsChildOf(path, folder))
                entries.push_back({path.substr(folder.size() + 1), node->second.isFolder, node->second.isLink});
        }
        return true;
    }

    void RemoveFile(const std::wstring& path) override
    {
        m_operations.push_back(L"file " + path);
        const auto node = m_nodes.find(path);
        if (node != m_nodes.end() && !node->second.isFolder)
            m_nodes.erase(node);
    }

    void RemoveFolder(const std::wstring& path) override
    {
        m_operations.push_back(L"folder " + path);
        const auto node = m_nodes.find(path);
        if (node == m_nodes.end() || !node->second.isFolder)
            return;
        const bool empty = std::none_of(m_nodes.begin(), m_nodes.end(),
                                        [&](const auto& other) { return IsChildOf(other.first, path); });
        if (node->second.isLink || empty)
            m_nodes.erase(node);
    }

    void Log(const std::wstring& line) override { m_log.push_back(line); }

    std::vector<std::wstring> m_log;
    std::vector<std::wstring> m_patterns;
    std::vector<std::wstring> m_operations;
    bool m_failSearch = false;

private:
    static bool IsChildOf(const std::wstring& path, const std::wstring& folder)
    {
        return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 &&
               path[folder.size()] == L'\\' && path.find(L'\\', folder.size() + 1) == std::wstring::npos;
    }

    std::map<std::wstring, Node> m_nodes;
    std::vector<std::wstring> m_order;
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

    DeleteFolderTree(L"C:\\t\\{W}", files);

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
    const std::vector<std::wstring> expectedPatterns = {L"C:\\t\\{W}\\*.*"};
    EXPECT_EQ(files.m_patterns, expectedPatterns) << "a link is never searched";
    const std::vector<std::wstring> expectedOperations = {
        L"folder C:\\t\\{W}\\junction",
        L"file C:\\t\\{W}\\file-link.dll",
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
    for (const std::wstring& pattern : files.m_patterns)
        EXPECT_LE(pattern.size(), kMaxRemovalPath);
    EXPECT_FALSE(files.Exists(parent));
}

TEST(DeleteFolderTree, RemovesTheFolderEvenWhenTheSearchCannotStart)
{
    FakeFiles files;
    files.AddFolder(L"C:\\t\\{W}\\");
    files.m_failSearch = true;

    DeleteFolderTree(L"C:\\t\\{W}\\", files);

    const std::vector<std::wstring> expectedPatterns = {L"C:\\t\\{W}\\*.*"};
    EXPECT_EQ(files.m_patterns, expectedPatterns) << "a trailing backslash is not doubled";
    const std::vector<std::wstring> expectedLog = {L"Remove Folder 'C:\\t\\{W}\\'\n"};
    EXPECT_EQ(files.m_log, expectedLog);
}

} // namespace
