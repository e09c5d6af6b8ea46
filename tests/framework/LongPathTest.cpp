// Paths beyond MAX_PATH get the extended-length form that opens them in full.
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

} // namespace
