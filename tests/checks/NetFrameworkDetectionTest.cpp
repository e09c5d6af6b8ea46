// The .NET detection rules against a table of machine states, with the whole log they write.
#include "FakeNetRegistry.h"
#include "checks/NetFrameworkDetection.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using Lines = std::vector<std::wstring>;

TEST(NetVersionText, SplitsAtDotsByTheNumberRule)
{
    struct Case {
        const wchar_t* text;
        NetVersion expected;
    };
    const Case cases[] = {
        {L"4.8.04084", {4, 8, 4084, 0}},
        {L"3.0.4506.26", {3, 0, 4506, 26}},
        {L"3.5.30729.01.7", {3, 5, 30729, 1}},  // a fifth piece is ignored
        {L"4", {4, 0, 0, 0}},
        {L"", {0, 0, 0, 0}},
        {L"4..5", {4, 0, 5, 0}},
        {L" 4. 5.x.-2", {4, 5, 0, -2}},
        {L"v4.0", {0, 0, 0, 0}},
        {L"4.5a.1", {4, 5, 1, 0}},
    };
    for (const Case& c : cases) {
        const NetVersion version = ParseNetVersion(c.text);
        EXPECT_EQ(version.major, c.expected.major) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(version.minor, c.expected.minor) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(version.build, c.expected.build) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(version.revision, c.expected.revision) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(NetVersionText, ComparesFromTheMajorNumberDown)
{
    const NetVersion bound = {3, 0, 4506, 26};
    struct Case {
        NetVersion version;
        bool atLeast;
    };
    const Case cases[] = {
        {{3, 0, 4506, 26}, true}, {{3, 0, 4506, 25}, false}, {{3, 0, 4507, 0}, true}, {{3, 0, 4505, 99}, false},
        {{3, 1, 0, 0}, true},     {{4, 0, 0, 0}, true},      {{2, 9, 9999, 99}, false}, {{0, 0, 0, 0}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsVersionAtLeast(c.version, bound), c.atLeast)
            << c.version.major << "." << c.version.minor << "." << c.version.build << "." << c.version.revision;
}

// Machine states, written as the framework's installers leave them.
FakeNetRegistry NoNet()
{
    return FakeNetRegistry();
}
FakeNetRegistry Net20(int32_t sp)
{
    return FakeNetRegistry().Dword(NetKeys::kNet20, L"Install", 1).Dword(NetKeys::kNet20, L"SP", sp);
}
FakeNetRegistry& With30(FakeNetRegistry& registry, const wchar_t* version, int32_t sp)
{
    return registry.Dword(NetKeys::kNet30Setup, L"InstallSuccess", 1)
        .Text(NetKeys::kNet30Setup, L"Version", version)
        .Dword(NetKeys::kNet30, L"SP", sp);
}
FakeNetRegistry& With35(FakeNetRegistry& registry, const wchar_t* version, int32_t sp)
{
    return registry.Dword(NetKeys::kNet35, L"Install", 1)
        .Text(NetKeys::kNet35, L"Version", version)
        .Dword(NetKeys::kNet35, L"SP", sp);
}
FakeNetRegistry& With4(FakeNetRegistry& registry, const wchar_t* key, const wchar_t* version, int32_t servicing)
{
    return registry.Dword(key, L"Install", 1).Dword(key, L"Servicing", servicing).Text(key, L"Version", version);
}
FakeNetRegistry Net4Full(const wchar_t* version, int32_t servicing)
{
    FakeNetRegistry registry;
    return With4(registry, NetKeys::kNet4Full, version, servicing);
}
FakeNetRegistry Net4Client(const wchar_t* version, int32_t servicing)
{
    FakeNetRegistry registry;
    return With4(registry, NetKeys::kNet4Client, version, servicing);
}
FakeNetRegistry Net4FullRelease(int32_t release)
{
    FakeNetRegistry registry = Net4Full(L"4.7.03062", 0);
    return registry.Dword(NetKeys::kNet4Full, L"Release", release);
}

NetSettingTexts Shipped()
{
    return {L"-1", L"-1", L"-1", L"-1", L"0", L"0", L"0", L"0", L"0"};
}
NetSettingTexts ShippedWith(size_t index, const wchar_t* text)
{
    NetSettingTexts texts = Shipped();
    texts[index] = text;
    return texts;
}
NetSettingTexts Only472()
{
    return {L"-1", L"-1", L"-1", L"-1", L"-1", L"-1", L"-1", L"-1", L"0"};
}

Lines SettingLines(const NetSettingTexts& texts)
{
    Lines lines;
    LogNetSettings(texts, [&](const std::wstring& line) { lines.push_back(line); });
    return lines;
}

struct MachineCase {
    const char* name;
    NetSettingTexts settings;
    FakeNetRegistry registry;
    bool installed;
    Lines detectionLines;  // after the nine setting lines
    const wchar_t* requiredName;
    int32_t requiredSp;
};

TEST(CheckNetFramework, MachineStates)
{
    FakeNetRegistry net20With35 = Net20(2);
    With35(net20With35, L"3.5.30729.01", 1);
    FakeNetRegistry net20With30 = Net20(2);
    With30(net20With30, L"3.0.4506.26", 2);
    FakeNetRegistry net20With30TooOld = Net20(2);
    With30(net20With30TooOld, L"3.0.4506.25", 2);
    FakeNetRegistry net35Without20 = FakeNetRegistry();
    With35(net35Without20, L"3.5.30729.01", 1);
    FakeNetRegistry net35AtItsBound = Net20(2);
    With35(net35AtItsBound, L"3.5.21022.8", 0);
    FakeNetRegistry net35BelowItsBound = Net20(2);
    With35(net35BelowItsBound, L"3.5.21022.7", 0);
    FakeNetRegistry clientAndFull = Net4Client(L"4.0.30319", 0);
    With4(clientAndFull, NetKeys::kNet4Full, L"4.0.30319", 1);

    const MachineCase cases[] = {
        {"no .NET", Shipped(), NoNet(), false, {L".NET Version Not OK .NET (full) 4.0 0\n"}, L".NET (full) 4.0", 0},
        {"4.0 full, servicing 0", Shipped(), Net4Full(L"4.0.30319", 0), true,
         {L".NET 4.0 Full Detected SP 0\n", L".NET Version OK\n"}, L".NET (full) 4.0", 0},
        {"4.6.2 full, servicing 0: the level is the minor number", Shipped(), Net4Full(L"4.6.01590", 0), true,
         {L".NET 4.0 Full Detected SP 6\n", L".NET Version OK\n"}, L".NET (full) 4.0", 0},
        {"4.8 full without a servicing value", Shipped(), FakeNetRegistry().Dword(NetKeys::kNet4Full, L"Install", 1)
                                                          .Text(NetKeys::kNet4Full, L"Version", L"4.8.04084"),
         true, {L".NET 4.0 Full Detected SP 8\n", L".NET Version OK\n"}, L".NET (full) 4.0", 0},
        {"4.0 full installed but its Install flag is 2", Shipped(),
         FakeNetRegistry().Dword(NetKeys::kNet4Full, L"Install", 2).Text(NetKeys::kNet4Full, L"Version", L"4.8.1"),
         false, {L".NET Version Not OK .NET (full) 4.0 0\n"}, L".NET (full) 4.0", 0},
        {"servicing above the minor number", ShippedWith(kNet40Full, L"7"), Net4Full(L"4.5.1", 7), true,
         {L".NET 4.0 Full Detected SP 7\n", L".NET Version OK\n"}, L".NET (full) 4.0", 7},
        {"a version 5.x does not raise the level", ShippedWith(kNet40Full, L"2"), Net4Full(L"5.9", 0), false,
         {L".NET 4.0 Full Detected SP 0\n", L".NET Version Not OK .NET (full) 4.0 2\n"}, L".NET (full) 4.0", 2},
        {"client profile only, minor 4", Shipped(), Net4Client(L"4.4.0", 0), false,
         {L".NET Version Not OK .NET (full) 4.0 0\n"}, L".NET (full) 4.0", 0},
        {"client profile only, minor 5", Shipped(), Net4Client(L"4.5.50709", 0), true,
         {L".NET 4.5 Client Detected SP 5\n", L".NET Version OK\n"}, L".NET (full) 4.0", 0},
        {"client profile accepted from 4.0 on", ShippedWith(kNet40Client, L"0"), Net4Client(L"4.0.30319", 0), true,
         {L".NET 4.0 Client Detected SP 0\n", L".NET Version OK\n"}, L".NET (client) 4.0", 0},
        {"client and full: the earlier step answers", ShippedWith(kNet40Client, L"0"), clientAndFull, true,
         {L".NET 4.0 Client Detected SP 0\n", L".NET Version OK\n"}, L".NET (client) 4.0", 0},
        {"2.0 alone with setting 138 at 0", ShippedWith(kNet20, L"0"), Net20(2), false,
         {L".NET Version Not OK .NET 3.5 0\n"}, L".NET 3.5", 0},
        {"2.0 and 3.5 with setting 138 at 0", ShippedWith(kNet20, L"0"), net20With35, true,
         {L".NET 3.5 Detected SP 1\n", L".NET Version OK\n"}, L".NET 3.5", 0},
        {"3.5 at its bound", ShippedWith(kNet20, L"0"), net35AtItsBound, true,
         {L".NET 3.5 Detected SP 0\n", L".NET Version OK\n"}, L".NET 3.5", 0},
        {"3.5 one revision below its bound", ShippedWith(kNet20, L"0"), net35BelowItsBound, false,
         {L".NET Version Not OK .NET 3.5 0\n"}, L".NET 3.5", 0},
        {"3.5 without 2.0 is not installed", ShippedWith(kNet20, L"0"), net35Without20, false,
         {L".NET Version Not OK .NET 3.5 0\n"}, L".NET 3.5", 0},
        {"2.0 at SP 2 with setting 138 at 00 (no replacement)", ShippedWith(kNet20, L"00"), Net20(2), true,
         {L".NET 2.0 Detected SP 2\n", L".NET Version OK\n"}, L".NET 2", 0},
        {"2.0 below the level asked for", ShippedWith(kNet20, L"3"), Net20(2), false,
         {L".NET 2.0 Detected SP 2\n", L".NET Version Not OK .NET 2 3\n"}, L".NET 2", 3},
        {"3.0 at its bound", ShippedWith(kNet30, L"1"), net20With30, true,
         {L".NET 3.0 Detected SP 2\n", L".NET Version OK\n"}, L".NET 3.0", 1},
        {"3.0 one revision below its bound", ShippedWith(kNet30, L"1"), net20With30TooOld, false,
         {L".NET Version Not OK .NET 3.0 1\n"}, L".NET 3.0", 1},
        {"setting 142 at 2, version 4.0.30319", ShippedWith(kNet40Full, L"2"), Net4Full(L"4.0.30319", 0), false,
         {L".NET 4.0 Full Detected SP 0\n", L".NET Version Not OK .NET (full) 4.0 2\n"}, L".NET (full) 4.0", 2},
        {"setting 142 at 2, version 4.5.x", ShippedWith(kNet40Full, L"2"), Net4Full(L"4.5.51209", 0), true,
         {L".NET 4.0 Full Detected SP 5\n", L".NET Version OK\n"}, L".NET (full) 4.0", 2},
        {"4.5 full step after a failed 4.0 full step", {L"-1", L"-1", L"-1", L"-1", L"9", L"-1", L"5", L"-1", L"-1"},
         Net4Full(L"4.5.51209", 0), true,
         {L".NET 4.0 Full Detected SP 5\n", L".NET 4.5 Full Detected SP 5\n", L".NET Version OK\n"},
         L".NET (full) 4.0", 9},
        {"4.6 full step needs level 6", {L"-1", L"-1", L"-1", L"-1", L"-1", L"-1", L"-1", L"0", L"-1"},
         Net4Full(L"4.5.51209", 0), false, {L".NET Version Not OK .NET (full) 4.6 0\n"}, L".NET (full) 4.6", 0},
        {"only 148, release 461807", Only472(), Net4FullRelease(461807), false,
         {L".NET Version Not OK .NET (full) 4.7.2 0\n"}, L".NET (full) 4.7.2", 0},
        {"only 148, release 461808", Only472(), Net4FullRelease(461808), true,
         {L".NET 4.7.2 Full Detected\n", L".NET Version OK\n"}, L".NET (full) 4.7.2", 0},
        {"only 148 at 5: the number is not compared",
         {L"-1", L"-1", L"-1", L"-1", L"-1", L"-1", L"-1", L"-1", L"5"}, Net4FullRelease(461808), true, {L".NET 4.7.2 Full Detected\n", L".NET Version OK\n"}, L".NET (full) 4.7.2",
         5},
        {"only 148, release present but not installed", Only472(),
         FakeNetRegistry().Dword(NetKeys::kNet4Full, L"Release", 528040), false,
         {L".NET Version Not OK .NET (full) 4.7.2 0\n"}, L".NET (full) 4.7.2", 0},
        {"every setting negative", {L"-1", L"-1", L"-1", L"-1", L"-1", L"-1", L"-1", L"-1", L"-1"},
         Net4FullRelease(528040), false, {L".NET Version Not OK Unknown .NET Version 0\n"}, L"Unknown .NET Version", 0},
        {"missing entries accept every version at any level", {L"", L"", L"", L"", L"", L"", L"", L"", L""}, Net20(0),
         true, {L".NET 2.0 Detected SP 0\n", L".NET Version OK\n"}, L".NET 2", 0},
    };
    for (const MachineCase& c : cases) {
        SCOPED_TRACE(c.name);
        Lines lines;
        RequiredNetVersion required = {L"Unknown .NET Version", 0, 4, 5, 0};
        const bool installed = CheckNetFramework(c.settings, c.registry, required,
                                                 [&](const std::wstring& line) { lines.push_back(line); });
        EXPECT_EQ(installed, c.installed);
        NetSettingTexts logged = c.settings;
        ApplyReplacementRule(logged);
        Lines expected = SettingLines(logged);
        expected.insert(expected.end(), c.detectionLines.begin(), c.detectionLines.end());
        EXPECT_EQ(lines, expected);
        EXPECT_EQ(required.name, c.requiredName);
        EXPECT_EQ(required.sp, c.requiredSp);
    }
}

TEST(CheckNetFramework, LogsTheReplacedSettings)
{
    Lines lines;
    RequiredNetVersion required = {L"Unknown .NET Version", 0, 4, 5, 0};
    CheckNetFramework(ShippedWith(kNet30, L"0"), NoNet(), required,
                      [&](const std::wstring& line) { lines.push_back(line); });
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], L".NET 2.0 -1\n");
    EXPECT_EQ(lines[1], L".NET 3.0 -1\n");
    EXPECT_EQ(lines[2], L".NET 3.5 0\n");
    EXPECT_EQ(required.major, 3);
    EXPECT_EQ(required.minor, 5);
}

// Counts the reads, to show that the registry is asked again for every step.
class CountingRegistry : public FakeNetRegistry {
public:
    explicit CountingRegistry(FakeNetRegistry state) : FakeNetRegistry(std::move(state)) {}
    bool IsRegistryFlagSet(const wchar_t* key, const wchar_t* value) const override
    {
        if (std::wstring(key) == NetKeys::kNet4Full)
            ++fullFlagReads;
        return FakeNetRegistry::IsRegistryFlagSet(key, value);
    }
    mutable int fullFlagReads = 0;
};

TEST(CheckNetFramework, ReadsTheRegistryAgainForEachStep)
{
    // 4.0 full at level 5 fails setting 9 at the 4.0, 4.5 and 4.6 full steps, then the 4.7.2 step.
    CountingRegistry registry(Net4Full(L"4.5.51209", 0));
    RequiredNetVersion required = {L"", 0, 0, 0, 0};
    EXPECT_FALSE(CheckNetFramework({L"-1", L"-1", L"-1", L"-1", L"9", L"-1", L"9", L"9", L"0"}, registry, required,
                                   [](const std::wstring&) {}));
    EXPECT_EQ(registry.fullFlagReads, 4);
}

} // namespace
