// Manifest names that must not leave the working folder.
#include "payload/RelativeName.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
    std::wstring name;
    bool inside;
};

TEST(IsNameInsideFolder, RefusesNamesThatLeaveTheFolder)
{
    const NameCase cases[] = {
        {L"Setup.exe", true},
        {L"sub\\dir\\file.dll", true},
        {L"sub/file.dll", true},
        {L"..file", true},
        {L"file..", true},
        {L"a..b\\c", true},
        {L"name with blanks.txt", true},
        {L"console.txt", true},
        {L"com10\\lpt0.log", true},
        {L"connect\\nullable.dll", true},
        {L"CON1", true},
        {L"", false},
        {L"..", false},
        {L"..\\evil.txt", false},
        {L"sub\\..\\..\\evil.txt", false},
        {L"sub/../evil.txt", false},
        {L"sub\\..", false},
        {L".. \\evil.txt", false},
        {L"...\\evil.txt", false},
        {L".\\file", false},
        {L"\\evil.txt", false},
        {L"/evil.txt", false},
        {L"\\\\server\\share\\evil.txt", false},
        {L"\\\\?\\C:\\evil.txt", false},
        {L"C:\\evil.txt", false},
        {L"C:evil.txt", false},
        {L"file.txt:stream", false},
        {L"bad|name", false},
        {L"bad?name", false},
        {L"bad<name>", false},
        {L"bad\"name", false},
        {std::wstring(L"nul\0after", 9), false},
        {L"tab\tname", false},
        {L"...", false},
        {L" ..", false},
        {L". .", false},
        {L"a\\\\b", false},
        {L"trail\\", false},
        // Device names, which Windows opens in every folder.
        {L"CON", false},
        {L"con", false},
        {L"nul.txt", false},
        {L"sub\\Aux.tar.gz", false},
        {L"PRN \\x", false},
        {L"lpt9 .log", false},
        {L"COM1", false},
        {L"sub/com5.dll", false},
        {L"LPT\u00B9", false},
        {L"CONOUT$", false},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(IsNameInsideFolder(c.name), c.inside) << testing::PrintToString(c.name);
}

} // namespace
