// The diagnostic log under Wine: the buffer before the file, the open/close/reopen rules, CR LF
// text mode and the thread's ANSI code page.
#include "app/Log.h"
#include "framework/CodePage.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string ReadBytes(const std::wstring& path)
{
    std::string bytes;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr)
        return "(missing)";
    char buffer[4096];
    size_t read = 0;
    while ((read = fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.append(buffer, read);
    fclose(file);
    return bytes;
}

void WriteBytes(const std::wstring& path, const char* mode, const std::string& bytes)
{
    FILE* file = _wfopen(path.c_str(), std::wstring(mode, mode + strlen(mode)).c_str());
    ASSERT_NE(file, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

// The log's state lives for the whole process, so every test starts by directing it to a
// fresh file of its own (which also takes whatever an earlier test left in the buffer).
class LogTest : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"brennix-log-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(++s_count) + L"\\";
        CreateDirectoryW(m_folder.c_str(), nullptr);
        OpenLogFile(ToThreadAnsi(Path(L"start.log")));
    }

    void TearDown() override { CloseLogFile(); }

    std::wstring Path(const wchar_t* name) const { return m_folder + name; }
    static void Open(const std::wstring& path) { OpenLogFile(ToThreadAnsi(path)); }

    std::wstring m_folder;
    static int s_count;
};

int LogTest::s_count = 0;

TEST_F(LogTest, TextBeforeTheFileGoesFirstThenEverythingLaterInCrLfLines)
{
    CloseLogFile();
    WriteLog(L"one\n");
    WriteLogFormat(L"two %d %s\n", 2, L"wide");
    Open(Path(L"a.log"));
    WriteLog(L"three");
    WriteLog(std::wstring(L" four\n"));
    CloseLogFile();
    EXPECT_EQ(ReadBytes(Path(L"a.log")), "one\r\ntwo 2 wide\r\nthree four\r\n");
}

TEST_F(LogTest, TheSamePathKeepsTheOpenFileAndItsContents)
{
    Open(Path(L"a.log"));
    WriteLog(L"first pass\n");
    Open(Path(L"a.log"));
    WriteLog(L"second pass\n");
    CloseLogFile();
    EXPECT_EQ(ReadBytes(Path(L"a.log")), "first pass\r\nsecond pass\r\n");
}

TEST_F(LogTest, ADifferentPathClosesTheFirstAndStartsTheSecondEmpty)
{
    WriteBytes(Path(L"b.log"), "wb", "old contents\r\n");
    Open(Path(L"a.log"));
    WriteLog(L"for a\n");
    Open(Path(L"b.log"));
    WriteLog(L"for b\n");
    CloseLogFile();
    EXPECT_EQ(ReadBytes(Path(L"a.log")), "for a\r\n");
    EXPECT_EQ(ReadBytes(Path(L"b.log")), "for b\r\n");
}

TEST_F(LogTest, ReopenAppendsAfterWhatAnotherProgramWrote)
{
    Open(Path(L"a.log"));
    WriteLog(L"before the installer\n");
    CloseLogFile();
    WriteBytes(Path(L"a.log"), "ab", "the installer's line\r\n");
    ReopenLogFile();
    WriteLog(L"after the installer\n");
    ReopenLogFile();  // already open: nothing changes
    CloseLogFile();
    EXPECT_EQ(ReadBytes(Path(L"a.log")), "before the installer\r\nthe installer's line\r\nafter the installer\r\n");
}

TEST_F(LogTest, AFileThatCannotBeOpenedLeavesTextInTheBuffer)
{
    Open(Path(L"no such folder\\a.log"));
    WriteLog(L"kept\n");
    ReopenLogFile();  // the failed path again: still closed
    WriteLog(L"also kept\n");
    Open(Path(L"b.log"));
    CloseLogFile();
    EXPECT_EQ(ReadBytes(Path(L"b.log")), "kept\r\nalso kept\r\n");
}

TEST_F(LogTest, AMessageIsCutAtItsFirstZero)
{
    Open(Path(L"a.log"));
    WriteLog(std::wstring(L"visible\0hidden\n", 15));
    WriteLog(L"|\n");
    CloseLogFile();
    EXPECT_EQ(ReadBytes(Path(L"a.log")), "visible|\r\n");
}

// Under Wine, CP_THREAD_ACP follows the thread locale as on Windows: SetThreadLocale to
// Japanese makes it code page 932, a double-byte page.
TEST_F(LogTest, DoubleByteCodePageTextIsWrittenWhole)
{
    const LCID previous = GetThreadLocale();
    ASSERT_TRUE(SetThreadLocale(MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT)));
    wchar_t codePage[8] = L"";
    GetLocaleInfoW(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, codePage, 8);
    EXPECT_STREQ(codePage, L"932");

    Open(Path(L"a.log"));
    WriteLog(L"\x65E5\x672C\x8A9E\x306E\x30ED\x30B0\n");  // a Japanese line of six characters
    const std::wstring longLine(3000, L'\x3042');
    WriteLogFormat(L"%s\n", longLine.c_str());
    CloseLogFile();
    SetThreadLocale(previous);

    std::string longBytes;
    for (int i = 0; i < 3000; ++i)
        longBytes += "\x82\xa0";
    EXPECT_EQ(ReadBytes(Path(L"a.log")), "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x8d\x83\x4f\r\n" + longBytes + "\r\n");
}

} // namespace
