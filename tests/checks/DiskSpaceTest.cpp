// The drive split of the temp folder and the free-space rule, with every log line.
#include "checks/DiskSpaceRules.h"
#include "checks/PathSplit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Lines = std::vector<std::wstring>;
constexpr PathPartRoom kRoom = {3, 256, 256, 256};

TEST(PathSplit, PartsAsTheRuntimeLibrarySplitsThem)
{
    struct Case {
        std::wstring path;
        PathParts parts;
    };
    const Case cases[] = {
        {L"C:\\users\\root\\Temp\\", {L"C:", L"\\users\\root\\Temp\\", L"", L""}},
        {L"C:\\users\\root\\Temp", {L"C:", L"\\users\\root\\", L"Temp", L""}},
        {L"D:", {L"D:", L"", L"", L""}},
        {L"D:work", {L"D:", L"", L"work", L""}},
        {L"c:/a/b.c/d.tar.gz", {L"c:", L"/a/b.c/", L"d.tar", L".gz"}},
        {L"\\\\server\\share\\temp\\", {L"", L"\\\\server\\share\\temp\\", L"", L""}},
        {L"relative\\folder", {L"", L"relative\\", L"folder", L""}},
        {L"", {L"", L"", L"", L""}},
        {L"C", {L"", L"", L"C", L""}},
        {L":x", {L"", L"", L":x", L""}},        // a colon first is no drive
        {L"CD:\\x", {L"", L"CD:\\", L"x", L""}},
        {L"C:\\a.b\\", {L"C:", L"\\a.b\\", L"", L""}},
        {L"C:\\.hidden", {L"C:", L"\\", L"", L".hidden"}},
        {L"C:\\name.", {L"C:", L"\\", L"name", L"."}},
        {std::wstring(L"C:\\a\0b\\c", 8), {L"C:", L"\\", L"a", L""}},  // ends at the first zero
    };
    for (const Case& c : cases) {
        PathParts parts;
        ASSERT_TRUE(SplitPath(c.path, kRoom, parts)) << testing::PrintToString(c.path);
        EXPECT_EQ(parts.drive, c.parts.drive) << testing::PrintToString(c.path);
        EXPECT_EQ(parts.directory, c.parts.directory) << testing::PrintToString(c.path);
        EXPECT_EQ(parts.fileName, c.parts.fileName) << testing::PrintToString(c.path);
        EXPECT_EQ(parts.extension, c.parts.extension) << testing::PrintToString(c.path);
    }
}

TEST(PathSplit, APartMustStayBelowItsRoom)
{
    const std::wstring dir254 = L"\\" + std::wstring(253, L'd') + L"\\";  // 255 characters
    const std::wstring dir255 = L"\\" + std::wstring(254, L'd') + L"\\";  // 256 characters
    struct Case {
        std::wstring path;
        bool fits;
    };
    const Case cases[] = {
        {L"C:" + dir254, true},
        {L"C:" + dir255, false},
        {dir254, true},
        {dir255, false},
        {L"C:\\" + std::wstring(255, L'f'), true},
        {L"C:\\" + std::wstring(256, L'f'), false},
        {L"C:\\f" + std::wstring(1, L'.') + std::wstring(254, L'e'), true},   // extension of 255
        {L"C:\\f" + std::wstring(1, L'.') + std::wstring(255, L'e'), false},  // extension of 256
    };
    for (const Case& c : cases) {
        PathParts parts;
        EXPECT_EQ(SplitPath(c.path, kRoom, parts), c.fits) << c.path.size() << " characters";
        if (!c.fits) {
            EXPECT_TRUE(parts.drive.empty() && parts.directory.empty() && parts.fileName.empty() &&
                        parts.extension.empty());
        }
    }
    PathParts parts;
    EXPECT_FALSE(SplitPath(L"C:\\x", {2, 256, 256, 256}, parts));  // a drive needs room for 3
}

TEST(DiskSpace, WholeMegabytesRoundDown)
{
    EXPECT_EQ(WholeMegabytes(0), 0);
    EXPECT_EQ(WholeMegabytes(1048575), 0);
    EXPECT_EQ(WholeMegabytes(1048576), 1);
    EXPECT_EQ(WholeMegabytes(104857600), 100);
    EXPECT_EQ(WholeMegabytes(104752742), 99);  // 99.9 MB
    EXPECT_EQ(WholeMegabytes(UINT64_MAX), INT64_C(17592186044415));
}

struct Outcome {
    bool passed;
    Lines lines;
    int64_t requiredMB = -9;
    int64_t freeMB = -9;
    std::wstring drive = L"unset";
    std::wstring askedDrive = L"never asked";
};

Outcome Check(const std::wstring& tempFolder, const std::wstring& setting, bool answers, uint64_t freeBytes)
{
    Outcome outcome;
    outcome.passed = CheckDiskSpace(
        tempFolder, setting,
        [&](const std::wstring& drive, uint64_t& bytes) {
            outcome.askedDrive = drive;
            if (answers)
                bytes = freeBytes;
            return answers;
        },
        outcome.requiredMB, outcome.freeMB, outcome.drive, [&](const std::wstring& line) { outcome.lines.push_back(line); });
    return outcome;
}

TEST(DiskSpace, RequirementAgainstTheFreeMegabytes)
{
    struct Case {
        const char* name;
        const wchar_t* setting;
        uint64_t freeBytes;
        bool passed;
        int64_t requiredMB;
        int64_t freeMB;
    };
    const Case cases[] = {
        {"exactly 100 MB free", L"100", 104857600, true, 100, 100},
        {"99.9 MB free", L"100", 104752742, false, 100, 99},
        {"one byte short of 100 MB", L"100", 104857599, false, 100, 99},
        {"entry at 0 on a full drive", L"0", 0, true, 0, 0},
        {"missing entry on a full drive", L"", 0, true, 0, 0},
        {"negative requirement", L"-5", 0, true, -5, 0},
        {"huge requirement", L"2147483647", 500ull << 30, false, 2147483647, 512000},
        {"more than 8 EiB free", L"100", UINT64_MAX, true, 100, INT64_C(17592186044415)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = Check(L"C:\\users\\root\\Temp\\", c.setting, true, c.freeBytes);
        EXPECT_EQ(outcome.passed, c.passed);
        EXPECT_EQ(outcome.requiredMB, c.requiredMB);
        EXPECT_EQ(outcome.freeMB, c.freeMB);
        EXPECT_EQ(outcome.drive, L"C:");
        EXPECT_EQ(outcome.askedDrive, L"C:");
        const std::wstring required = std::to_wstring(c.requiredMB);
        Lines expected = {
            L"Free Disk Space\n",
            L"Free Disk Space: Checking at least " + required +
                L" MB free on drive 'C:' for temp directory 'C:\\users\\root\\Temp\\'\n",
            c.passed ? L"Free disk space requirement passed.\n"
                     : L"Insufficient disk space: " + required + L" MB required but only " +
                           std::to_wstring(c.freeMB) + L" MB free.\n",
        };
        EXPECT_EQ(outcome.lines, expected);
    }
}

TEST(DiskSpace, UncPathAsksAboutTheSharesRoot)
{
    struct Case {
        const wchar_t* tempFolder;
        const wchar_t* asked;
    };
    const Case cases[] = {
        {L"\\\\server\\share\\temp\\", L"\\\\server\\share\\"},
        {L"\\\\server\\share", L"\\\\server\\share\\"},
        {L"\\\\server\\share\\", L"\\\\server\\share\\"},
        {L"\\\\server", L""},
        {L"\\\\server\\\\x", L""},
        {L"temp\\", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.tempFolder)));
        const Outcome outcome = Check(c.tempFolder, L"100", false, 0);
        EXPECT_FALSE(outcome.passed);
        EXPECT_EQ(outcome.askedDrive, c.asked);
        EXPECT_EQ(outcome.drive, c.asked);  // and so the report names it
        const Lines expected = {
            L"Free Disk Space\n",
            L"Free Disk Space: Checking at least 100 MB free on drive '" + std::wstring(c.asked) +
                L"' for temp directory '" + c.tempFolder + L"'\n",
            L"Failed to check free disk space.\n",
        };
        EXPECT_EQ(outcome.lines, expected);
    }
    EXPECT_TRUE(Check(L"\\\\server\\share\\temp\\", L"100", true, 200ull << 20).passed);
}

TEST(DiskSpace, UnsplittablePathFailsBeforeAsking)
{
    const std::wstring folder = L"C:\\" + std::wstring(254, L'd') + L"\\";  // directory part of 256
    const Outcome outcome = Check(folder, L"100", true, 1ull << 40);
    EXPECT_FALSE(outcome.passed);
    EXPECT_EQ(outcome.askedDrive, L"never asked");
    EXPECT_EQ(outcome.drive, L"unset");  // the drive is stored only once the path is split
    EXPECT_EQ(outcome.requiredMB, 100);
    EXPECT_EQ(outcome.freeMB, 0);
    const Lines expected = {
        L"Free Disk Space\n",
        L"Failed to parse directory for free disk space check. " + folder + L"\n",
    };
    EXPECT_EQ(outcome.lines, expected);
}

} // namespace
