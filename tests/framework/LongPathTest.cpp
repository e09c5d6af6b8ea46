// A setup file on a path beyond MAX_PATH: its whole path is read and opened in the
// extended-length form. Wine cannot start a program from such a path (CreateProcessW fails with
// error 2 or 3), so the reading is tested here against a stand-in for GetModuleFileNameW that
// cuts the path to the buffer as the platform does.
#include "framework/LongPath.h"

#include <gtest/gtest.h>

namespace {

TEST(ExtendedLengthPath, OnlyPathsOfMaxPathOrMoreChange)
{
    const std::wstring deep = std::wstring(L"\\") + std::wstring(255, L'd') + L"\\Setup.exe";  // 266 characters
    struct Case {
        std::wstring path;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"C:\\Setup.exe", L"C:\\Setup.exe"},
        {L"C:\\" + std::wstring(256, L'd'), L"C:\\" + std::wstring(256, L'd')},  // 259 characters
        {L"C:\\" + std::wstring(257, L'd'), L"\\\\?\\C:\\" + std::wstring(257, L'd')},  // 260 characters
        {L"C:" + deep, L"\\\\?\\C:" + deep},
        {L"\\\\server\\share" + deep, L"\\\\?\\UNC\\server\\share" + deep},
        {L"\\\\?\\C:" + deep, L"\\\\?\\C:" + deep},
        {L"\\\\.\\C:" + deep, L"\\\\.\\C:" + deep},
        {L"relative" + deep, L"relative" + deep},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExtendedLengthPath(c.path), c.expected) << c.path.size() << " characters";
}

// GetModuleFileNameW's answer for `path`: cut to the room given, its length or the room.
PathQuery ModuleFileName(const std::wstring& path, int& calls)
{
    return [path, &calls](wchar_t* buffer, uint32_t size) -> uint32_t {
        ++calls;
        const size_t copied = path.size() < size ? path.size() : size;
        path.copy(buffer, copied);
        if (copied < size)
            buffer[copied] = L'\0';
        else
            buffer[size - 1] = L'\0';
        return static_cast<uint32_t>(copied);
    };
}

TEST(ReadWholePath, GrowsUntilTheWholePathFits)
{
    struct Case {
        size_t length;
        int calls;
    };
    const Case cases[] = {{12, 1}, {259, 1}, {260, 2}, {300, 2}, {520, 3}, {2000, 4}};
    for (const Case& c : cases) {
        const std::wstring path = L"C:\\" + std::wstring(c.length - 3, L'p');
        int calls = 0;
        EXPECT_EQ(ReadWholePath(ModuleFileName(path, calls)), path) << c.length << " characters";
        EXPECT_EQ(calls, c.calls) << c.length << " characters";
    }
}

TEST(ReadWholePath, FailureOrAnEndlessPathGivesNothing)
{
    EXPECT_EQ(ReadWholePath([](wchar_t*, uint32_t) -> uint32_t { return 0; }), L"");
    int calls = 0;
    EXPECT_EQ(ReadWholePath([&calls](wchar_t*, uint32_t size) { ++calls; return size; }), L"");
    EXPECT_LT(calls, 10);
}

} // namespace
