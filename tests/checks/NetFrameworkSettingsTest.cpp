// The nine .NET settings: the replacement rule, their log lines and the required version.
#include "checks/NetFrameworkSettings.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

NetSettingTexts Texts(std::initializer_list<const wchar_t*> values)
{
    NetSettingTexts texts;
    size_t i = 0;
    for (const wchar_t* value : values)
        texts[i++] = value;
    return texts;
}

const NetSettingTexts kShipped = Texts({L"-1", L"-1", L"-1", L"-1", L"0", L"0", L"0", L"0", L"0"});

TEST(NetSettings, RowsAreTheStringTableEntriesInTestOrder)
{
    const unsigned entries[] = {138, 139, 140, 141, 142, 143, 144, 147, 148};
    for (size_t i = 0; i < kNetVersionCount; ++i)
        EXPECT_EQ(kNetSettingRows[i].entry, entries[i]);
}

TEST(NetSettings, ReplacementRuleTurnsAnAnyLevelRequestFor20Or30Into35)
{
    struct Case {
        const wchar_t* net20;
        const wchar_t* net30;
        bool replaced;
    };
    const Case cases[] = {
        {L"0", L"-1", true},
        {L"-1", L"0", true},
        {L"0", L"0", true},
        {L"00", L"-1", false},  // a plain text comparison
        {L" 0", L"-1", false},
        {L"0 ", L"-1", false},
        {L"1", L"2", false},
        {L"-1", L"-1", false},
        {L"", L"", false},      // missing entries parse as 0 but are not the text "0"
    };
    for (const Case& c : cases) {
        NetSettingTexts texts = kShipped;
        texts[kNet20] = c.net20;
        texts[kNet30] = c.net30;
        texts[kNet35] = L"7";
        ApplyReplacementRule(texts);
        NetSettingTexts expected = kShipped;
        if (c.replaced) {
            expected[kNet20] = L"-1";
            expected[kNet30] = L"-1";
            expected[kNet35] = L"0";
        } else {
            expected[kNet20] = c.net20;
            expected[kNet30] = c.net30;
            expected[kNet35] = L"7";
        }
        EXPECT_EQ(texts, expected) << testing::PrintToString(std::wstring(c.net20)) << " / "
                                   << testing::PrintToString(std::wstring(c.net30));
    }
}

TEST(NetSettings, LogsEachSettingWithItsCurrentText)
{
    std::vector<std::wstring> lines;
    LogNetSettings(Texts({L"-1", L"-1", L"0", L"", L"x", L"5", L"6", L"7", L"8"}),
                   [&](const std::wstring& line) { lines.push_back(line); });
    const std::vector<std::wstring> expected = {
        L".NET 2.0 -1\n",      L".NET 3.0 -1\n",      L".NET 3.5 0\n",      L".NET 4.0 Client \n",
        L".NET 4.0 Full x\n",  L".NET 4.5 Client 5\n", L".NET 4.5 Full 6\n", L".NET 4.6 Full 7\n",
        L".NET 4.7.2 Full 8\n",
    };
    EXPECT_EQ(lines, expected);
}

TEST(NetSettings, ParsesEachTextByTheNumberRule)
{
    const NetSettings expected = {-1, 0, 0, 3, 0, 12, -4, 0, 0};
    EXPECT_EQ(ParseNetSettings(Texts({L"-1", L"", L"00", L" 3", L"abc", L"12x", L"-4", L"+0", L"0"})), expected);
}

TEST(NetSettings, RequiredVersionIsTheFirstAcceptableRow)
{
    struct Case {
        NetSettings settings;
        const wchar_t* name;
        int32_t sp, major, minor, build;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 0, 0, 0, 0, 0}, L".NET 2", 0, 2, 0, 0},
        {{-1, 2, 0, 0, 0, 0, 0, 0, 0}, L".NET 3.0", 2, 3, 0, 0},
        {{-1, -1, 1, 0, 0, 0, 0, 0, 0}, L".NET 3.5", 1, 3, 5, 0},
        {{-1, -1, -1, 3, 0, 0, 0, 0, 0}, L".NET (client) 4.0", 3, 4, 0, 0},
        {{-1, -1, -1, -1, 0, 0, 0, 0, 0}, L".NET (full) 4.0", 0, 4, 0, 0},  // shipped
        {{-1, -1, -1, -1, -1, 4, 0, 0, 0}, L".NET (client) 4.5", 4, 4, 5, 0},
        {{-1, -1, -1, -1, -1, -1, 0, 0, 0}, L".NET (full) 4.5", 0, 4, 5, 0},
        {{-1, -1, -1, -1, -1, -1, -1, 6, 0}, L".NET (full) 4.6", 6, 4, 6, 0},
        {{-1, -1, -1, -1, -1, -1, -1, -1, 0}, L".NET (full) 4.7.2", 0, 4, 7, 2},
        {{-5, -1, -1, -1, -1, -1, -1, -1, 9}, L".NET (full) 4.7.2", 9, 4, 7, 2},
    };
    for (const Case& c : cases) {
        RequiredNetVersion required = {L"before", -7, -7, -7, -7};
        ASSERT_TRUE(SelectRequiredNetVersion(c.settings, required));
        EXPECT_EQ(required.name, c.name);
        EXPECT_EQ(required.sp, c.sp) << testing::PrintToString(std::wstring(c.name));
        EXPECT_EQ(required.major, c.major);
        EXPECT_EQ(required.minor, c.minor);
        EXPECT_EQ(required.build, c.build);
    }
}

TEST(NetSettings, NothingAcceptableKeepsTheRequiredVersionAsItWas)
{
    RequiredNetVersion required = {L"Unknown .NET Version", 0, 4, 5, 0};
    EXPECT_FALSE(SelectRequiredNetVersion({-1, -1, -1, -1, -1, -1, -1, -1, -1}, required));
    EXPECT_EQ(required.name, L"Unknown .NET Version");
    EXPECT_EQ(required.sp, 0);
    EXPECT_EQ(required.major, 4);
    EXPECT_EQ(required.minor, 5);
    EXPECT_EQ(required.build, 0);
}

} // namespace
