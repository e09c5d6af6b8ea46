// The working folder at the MAX_PATH limits: a base folder too long for the working folder is
// refused by the probe; one that leaves exactly room for it works, files below it that would
// not fit are refused, and the removal still takes the folder away.
#include "app/Log.h"
#include "framework/CodePage.h"
#include "payload/FilePath.h"
#include "payload/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>

namespace {

constexpr size_t kGuidFolderName = 38;

std::wstring TempPath()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return temp;
}

// A folder path of exactly `length` characters below the temp folder, made with its parents.
std::wstring BaseOfLength(size_t length)
{
    const std::wstring root = TempPath() + L"brennix-limits";
    CreateDirectoryW(root.c_str(), nullptr);
    std::wstring path = root;
    while (path.size() + 1 < length) {
        const size_t room = length - path.size() - 1;
        path += L"\\" + std::wstring(room > 100 ? 100 : room, L'b');
        CreateDirectoryW(path.c_str(), nullptr);
    }
    return path;
}

std::string ReadLog(const std::wstring& path)
{
    CloseLogFile();
    std::ifstream file(ToThreadAnsi(path), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(TempFolderLimits, RefusesTooLongBasesAndHandlesTheLongestThatFits)
{
    const std::wstring logPath = TempPath() + L"brennix-limits.log";
    OpenLogFile(ToThreadAnsi(logPath));

    const std::wstring tooLong(MAX_PATH, L'x');
    EXPECT_EQ(ProbeTempFolder(L"C:\\" + tooLong), Result::Fail);
    const std::wstring noRoom = BaseOfLength(MAX_PATH - 1 - 1 - kGuidFolderName + 1);
    EXPECT_EQ(ProbeTempFolder(noRoom), Result::Fail) << "no room for the working folder's name";

    const std::wstring longest = BaseOfLength(MAX_PATH - 1 - 1 - kGuidFolderName);
    ASSERT_EQ(ProbeTempFolder(longest), Result::Ok);
    std::wstring work;
    ASSERT_TRUE(GetTempFolder(work));
    EXPECT_EQ(work.size(), static_cast<size_t>(MAX_PATH - 1));
    EXPECT_NE(GetFileAttributesW(work.c_str()), INVALID_FILE_ATTRIBUTES);

    CResource resource(102, L"TOOLKIT", nullptr);
    resource.m_strFileName = L"x";
    std::wstring filePath = L"unchanged";
    EXPECT_FALSE(GetFilePath(resource, filePath));
    EXPECT_TRUE(filePath.empty());

    ResourceList resources;
    resources.push_front(resource);
    EXPECT_EQ(RemoveTempFolder(resources), Result::Ok);
    EXPECT_EQ(GetFileAttributesW(work.c_str()), INVALID_FILE_ATTRIBUTES) << "removed although too long to search";

    const std::string log = ReadLog(logPath);
    EXPECT_NE(log.find("Temp folder path too long 'C:\\" + std::string(MAX_PATH, 'x') + "'\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Temp folder path too long '" + ToThreadAnsi(noRoom) + "'\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Successfully created temp file '" + ToThreadAnsi(longest) + "\\{"), std::string::npos) << log;
    EXPECT_NE(log.find("File path too long 'x'\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Path too long to search '" + ToThreadAnsi(work) + "'\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Remove Folder '" + ToThreadAnsi(work) + "'\r\n"), std::string::npos) << log;
}

} // namespace
