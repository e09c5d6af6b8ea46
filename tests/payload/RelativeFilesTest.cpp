// Files made and deleted relative to an open folder, on the real file system under Wine: a
// hard link is replaced rather than written through, a file in use or read-only is reported
// as such, subfolders are made one by one. (Windows also refuses links through the handles;
// Wine opens no link itself, so that part is tested through the removal's fake and end to end.)
#include "payload/RelativeFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class RelativeFiles : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_root = std::wstring(temp) + L"brennix-relative-files";
        Clean();
        CreateDirectoryW(m_root.c_str(), nullptr);
        CreateDirectoryW((m_root + L"\\work").c_str(), nullptr);
        CreateDirectoryW((m_root + L"\\elsewhere").c_str(), nullptr);
        ASSERT_EQ(OpenFolderNoFollow(m_root + L"\\work", m_work), static_cast<DWORD>(ERROR_SUCCESS));
    }

    void TearDown() override
    {
        m_work = FileHandle();
        Clean();
    }

    static void Write(const std::wstring& path, const std::string& text)
    {
        FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }

    static std::string Read(const std::wstring& path)
    {
        FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        char buffer[256] = {};
        DWORD read = 0;
        ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr);
        return std::string(buffer, read);
    }

    static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    void Clean()
    {
        for (const wchar_t* path : {L"\\work\\sub\\deeper\\new.txt", L"\\work\\sub\\deeper", L"\\work\\sub", L"\\work\\data.bin",
                                    L"\\work\\held.txt", L"\\work\\locked.txt", L"\\work", L"\\elsewhere\\precious.txt",
                                    L"\\elsewhere", L""}) {
            const std::wstring full = m_root + path;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileW(full.c_str()))
                RemoveDirectoryW(full.c_str());
        }
    }

    std::wstring m_root;
    FileHandle m_work;
};

TEST_F(RelativeFiles, AHardLinkIsReplacedByAFileOfItsOwn)
{
    const std::wstring precious = m_root + L"\\elsewhere\\precious.txt";
    Write(precious, "keep me");
    ASSERT_TRUE(CreateHardLinkW((m_root + L"\\work\\data.bin").c_str(), precious.c_str(), nullptr));

    FileHandle file;
    ASSERT_EQ(CreateFreshFile(m_work.Get(), L"data.bin", file), static_cast<DWORD>(ERROR_SUCCESS));
    DWORD written = 0;
    WriteFile(file.Get(), "payload", 7, &written, nullptr);
    file = FileHandle();

    EXPECT_EQ(Read(precious), "keep me");
    EXPECT_EQ(Read(m_root + L"\\work\\data.bin"), "payload");
}

TEST_F(RelativeFiles, AFolderUnderTheNameStaysAndNoFileIsMade)
{
    const std::wstring folder = m_root + L"\\work\\info.xml";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));

    FileHandle file;
    EXPECT_NE(CreateFreshFile(m_work.Get(), L"info.xml", file), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(file);
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY) << "the empty folder is left as it was";
}

TEST_F(RelativeFiles, SubfoldersAreMadeOneByOne)
{
    FileHandle file;
    ASSERT_EQ(CreateFreshFile(m_work.Get(), L"sub/deeper\\new.txt", file), static_cast<DWORD>(ERROR_SUCCESS));
    file = FileHandle();
    EXPECT_TRUE(Exists(m_root + L"\\work\\sub\\deeper\\new.txt"));

    EXPECT_EQ(DeleteBelow(m_work.Get(), L"sub\\deeper\\new.txt"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(Exists(m_root + L"\\work\\sub\\deeper\\new.txt"));
    EXPECT_NE(DeleteBelow(m_work.Get(), L"missing\\new.txt"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(Exists(m_root + L"\\work\\missing")) << "a deletion makes no folder";
    EXPECT_NE(DeleteEntry(m_work.Get(), L"sub"), static_cast<DWORD>(ERROR_SUCCESS)) << "a folder that is not empty";
    EXPECT_TRUE(Exists(m_root + L"\\work\\sub\\deeper"));
}

TEST_F(RelativeFiles, AFileInUseOrReadOnlyStays)
{
    const std::wstring held = m_root + L"\\work\\held.txt";
    Write(held, "held");
    {
        FileHandle holder(CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_EQ(DeleteEntry(m_work.Get(), L"held.txt"), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_TRUE(Exists(held));
    }
    EXPECT_EQ(DeleteEntry(m_work.Get(), L"held.txt"), static_cast<DWORD>(ERROR_SUCCESS)) << "once let go";
    EXPECT_FALSE(Exists(held));

    const std::wstring locked = m_root + L"\\work\\locked.txt";
    Write(locked, "locked");
    SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(DeleteEntry(m_work.Get(), L"locked.txt"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(Exists(locked));
}

TEST_F(RelativeFiles, NoFolderHandleNoFile)
{
    FileHandle file;
    EXPECT_EQ(CreateFreshFile(INVALID_HANDLE_VALUE, L"x.txt", file), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(DeleteBelow(nullptr, L"x.txt"), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

} // namespace
