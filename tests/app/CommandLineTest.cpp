// The command line as the stub reads it: arguments -> dictionary -> installer's command line.
#include "app/CommandLineInfoEx.h"
#include "tests/support/RuntimeArguments.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Entries = std::vector<std::pair<std::wstring, std::wstring>>;

// Runs the arguments through the framework's parsing, as the stub's start-up does.
CCommandLineInfoEx Parse(const std::vector<std::wstring>& arguments)
{
    std::vector<const wchar_t*> argv = {L"C:\\Downloads\\setup.exe"};
    for (const std::wstring& argument : arguments)
        argv.push_back(argument.c_str());
    CCommandLineInfoEx info;
    ParseCommandLine(info, static_cast<int>(argv.size()), argv.data());
    return info;
}

std::wstring Compose(const CCommandLineInfoEx& info, const std::wstring& programName = L"Corvane Installer")
{
    std::wstring commandLine = L"left over";
    info.BuildCommandLine(programName, commandLine);
    return commandLine;
}

struct Case {
    const char* what;
    std::vector<std::wstring> arguments;
    Entries dictionary;
    std::wstring commandLine;
};

const Case kCases[] = {
    {"no arguments: only the program-name property", {}, {}, L"CV_I=\"Corvane Installer\" "},
    {"a switch with / or - is TRUE and passed in switch form",
     {L"/IAgreeToTheEULA", L"-keep"},
     {{L"IAgreeToTheEULA", L"TRUE"}, {L"keep", L"TRUE"}},
     L"/IAgreeToTheEULA /keep CV_I=\"Corvane Installer\" "},
    {"a value keyword takes the next argument, valued form",
     {L"log", L"C:\\Logs", L"products", L"A;B"},
     {{L"log", L"C:\\Logs"}, {L"products", L"A;B"}},
     L"/log \"C:\\Logs\" /products \"A;B\" CV_I=\"Corvane Installer\" "},
    {"a keyword is matched ignoring case but stored as written",
     {L"LOG", L"C:\\x", L"Temp", L"C:\\t"},
     {{L"LOG", L"C:\\x"}, {L"Temp", L"C:\\t"}},
     L"/LOG \"C:\\x\" /Temp \"C:\\t\" CV_I=\"Corvane Installer\" "},
    {"a keyword as the last argument is a bare word", {L"log"}, {{L"log", L""}}, L"log CV_I=\"Corvane Installer\" "},
    {"a trailing backslash is doubled before the closing quote",
     {L"temp", L"C:\\Work\\"},
     {{L"temp", L"C:\\Work\\"}},
     L"/temp \"C:\\Work\\\\\" CV_I=\"Corvane Installer\" "},
    {"every trailing backslash is doubled",
     {L"temp", L"C:\\Work\\\\"},
     {{L"temp", L"C:\\Work\\\\"}},
     L"/temp \"C:\\Work\\\\\\\\\" CV_I=\"Corvane Installer\" "},
    {"a keyword whose value is TRUE passes in switch form",
     {L"temp", L"TRUE"},
     {{L"temp", L"TRUE"}},
     L"/temp CV_I=\"Corvane Installer\" "},
    {"a value keyword written as a switch makes its value a bare word",
     {L"/temp", L"C:\\x"},
     {{L"temp", L"TRUE"}, {L"C:\\x", L""}},
     L"/temp C:\\x CV_I=\"Corvane Installer\" "},
    {"a switch between keyword and value cancels the keyword",
     {L"log", L"/s", L"C:\\y"},
     {{L"s", L"TRUE"}, {L"C:\\y", L""}},
     L"/s C:\\y CV_I=\"Corvane Installer\" "},
    {"a second keyword in a row replaces the first",
     {L"temp", L"log", L"C:\\z"},
     {{L"log", L"C:\\z"}},
     L"/log \"C:\\z\" CV_I=\"Corvane Installer\" "},
    {"a switch in another case is another switch",
     {L"/DontRun"},
     {{L"DontRun", L"TRUE"}},
     L"/DontRun CV_I=\"Corvane Installer\" "},
    {"bare words and properties pass in bare form",
     {L"NAME=value", L"?"},
     {{L"NAME=value", L""}, {L"?", L""}},
     L"NAME=value ? CV_I=\"Corvane Installer\" "},
    {"a CFU property is gathered up to the argument ending in a quote",
     {L"CFU=\"two", L"words\"", L"/IAgreeToTheEULA"},
     {{L"CFU=\"two words\"", L""}, {L"IAgreeToTheEULA", L"TRUE"}},
     L"CFU=\"two words\" /IAgreeToTheEULA CV_I=\"Corvane Installer\" "},
    {"the CFU start is matched ignoring case; keywords inside are gathered",
     {L"cfu=\"a", L"temp", L"b\""},
     {{L"cfu=\"a temp b\"", L""}},
     L"cfu=\"a temp b\" CV_I=\"Corvane Installer\" "},
    {"switches inside a CFU property stay switches",
     {L"CFU=\"a", L"/s", L"b\""},
     {{L"s", L"TRUE"}, {L"CFU=\"a b\"", L""}},
     L"/s CFU=\"a b\" CV_I=\"Corvane Installer\" "},
    {"a CFU property that never closes is dropped", {L"CFU=\"open", L"end"}, {}, L"CV_I=\"Corvane Installer\" "},
    {"a name given again keeps its first place and takes the new value",
     {L"/x", L"y", L"x"},
     {{L"x", L""}, {L"y", L""}},
     L"x y CV_I=\"Corvane Installer\" "},
    {"a quote inside a value is passed as it is",
     {L"log", L"a\"b"},
     {{L"log", L"a\"b"}},
     L"/log \"a\"b\" CV_I=\"Corvane Installer\" "},
};

TEST(CommandLine, ArgumentsToDictionaryToInstallerCommandLine)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const CCommandLineInfoEx info = Parse(c.arguments);
        EXPECT_EQ(info.m_mapSwitches.Entries(), c.dictionary);
        EXPECT_EQ(Compose(info), c.commandLine);
    }
}

TEST(CommandLine, FlagsRecordOnlyNamesWrittenWithSlashOrDash)
{
    const CCommandLineInfoEx info = Parse({L"/temp", L"log", L"L", L"-?", L"keep"});
    EXPECT_EQ(info.m_mapFlags, (std::set<std::wstring>{L"temp", L"?"}));
}

TEST(CommandLine, IsSwitchSetWantsTrueIgnoringCase)
{
    CCommandLineInfoEx info = Parse({L"/keep", L"zeroguid", L"temp", L"true", L"log", L"C:\\x"});
    EXPECT_TRUE(info.IsSwitchSet(L"keep"));
    EXPECT_FALSE(info.IsSwitchSet(L"Keep"));     // names are case-sensitive
    EXPECT_FALSE(info.IsSwitchSet(L"zeroguid"));  // a bare word has an empty value
    EXPECT_TRUE(info.IsSwitchSet(L"temp"));
    EXPECT_FALSE(info.IsSwitchSet(L"log"));
    EXPECT_FALSE(info.IsSwitchSet(L"absent"));

    info.SetSwitchValue(L"log", L"TRUE");
    EXPECT_TRUE(info.IsSwitchSet(L"log"));
    info.SetSwitchValue(L"new", L"value");
    EXPECT_EQ(info.m_mapSwitches.Entries().back(), (std::pair<std::wstring, std::wstring>{L"new", L"value"}));
}

TEST(CommandLine, ProgramNameGoesLastAsItIs)
{
    const CCommandLineInfoEx info = Parse({L"/a"});
    EXPECT_EQ(Compose(info, L""), L"/a CV_I=\"\" ");
    EXPECT_EQ(Compose(info, L"Say \"Hi\""), L"/a CV_I=\"Say \"Hi\"\" ");
    // A trailing backslash would otherwise escape the closing quote.
    EXPECT_EQ(Compose(info, L"Tools\\"), L"/a CV_I=\"Tools\\\\\" ");
}

// The installer's runtime splits the composed line back into the values the stub was given.
TEST(CommandLine, InstallerGetsValuesBackWhole)
{
    const std::wstring values[] = {L"C:\\Work\\", L"C:\\Work\\\\", L"\\\\server\\share\\", L"C:\\With Space\\",
                                   L"plain", L"a\\b\\c", L"\\"};
    for (const std::wstring& value : values) {
        SCOPED_TRACE(std::string(value.begin(), value.end()));
        const std::vector<std::wstring> child = SplitLikeRuntime(Compose(Parse({L"temp", value, L"/next"})));
        EXPECT_EQ(child, (std::vector<std::wstring>{L"/temp", value, L"/next", L"CV_I=Corvane Installer"}));
    }
}

} // namespace
