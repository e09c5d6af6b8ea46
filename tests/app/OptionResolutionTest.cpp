// The options the stub acts on, resolved from the command line against a fake platform.
#include "app/OptionResolution.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// A platform with the current folder C:\cwd, the folders below, and the runtime's limit of
// 260 characters for an absolute path.
class FakeEnvironment : public OptionEnvironment {
public:
    std::wstring DefaultTempFolder() override { return L"C:\\Users\\u\\Temp\\"; }

    bool FullPath(const std::wstring& path, std::wstring& absolute) override
    {
        if (path.empty())
            absolute = L"C:\\cwd";
        else if (path.size() >= 2 && path[1] == L':')
            absolute = path;
        else if (path[0] == L'\\')
            absolute = L"C:" + path;
        else
            absolute = L"C:\\cwd\\" + path;
        return absolute.size() <= 260;
    }

    bool IsExistingFolder(const std::wstring& path) override { return folders.count(path) != 0; }
    void OpenLog(const std::wstring& path) override { openedLogs.push_back(path); }
    void WriteLog(const std::wstring& text) override { log += text; }

    std::set<std::wstring> folders = {L"C:\\cwd", L"C:\\Logs"};
    std::vector<std::wstring> openedLogs;
    std::wstring log;
};

struct Resolved {
    ResultCode result;
    RunOptions options;
    FakeEnvironment environment;
};

Resolved Resolve(const std::vector<std::wstring>& arguments, const std::wstring& programName = L"")
{
    std::vector<const wchar_t*> argv = {L"setup.exe"};
    for (const std::wstring& argument : arguments)
        argv.push_back(argument.c_str());
    CCommandLineInfoEx info;
    ParseCommandLine(info, static_cast<int>(argv.size()), argv.data());
    Resolved resolved;
    resolved.result = ResolveOptions(info, programName, resolved.environment, resolved.options);
    return resolved;
}

constexpr ResultCode kMisused = static_cast<ResultCode>(0x80030057);
const std::wstring kLongPath = L"C:\\" + std::wstring(258, L'x');  // 261 characters

struct Case {
    const char* what;
    std::vector<std::wstring> arguments;
    ResultCode result;
    std::wstring commandLine;
    std::wstring tempFolder;
    std::vector<std::wstring> openedLogs;
};

const Case kCases[] = {
    {"no arguments: defaults", {}, 0, L"CV_I=\"\" ", L"C:\\Users\\u\\Temp\\", {}},
    {"a log folder gets CVInstall.log, made absolute, passed on",
     {L"log", L"C:\\Logs", L"/IAgreeToTheEULA", L"/keep"},
     0,
     L"/log \"C:\\Logs\\CVInstall.log\" /IAgreeToTheEULA CV_I=\"\" ",
     L"C:\\Users\\u\\Temp\\",
     {L"C:\\Logs\\CVInstall.log"}},
    {"a log file path is made absolute",
     {L"log", L"setup.log"},
     0,
     L"/log \"C:\\cwd\\setup.log\" CV_I=\"\" ",
     L"C:\\Users\\u\\Temp\\",
     {L"C:\\cwd\\setup.log"}},
    {"log as the last argument: CVInstall.log at the root of the current drive",
     {L"/IAgreeToTheEULA", L"log"},
     0,
     L"/IAgreeToTheEULA /log \"C:\\CVInstall.log\" CV_I=\"\" ",
     L"C:\\Users\\u\\Temp\\",
     {L"C:\\CVInstall.log"}},
    {"LOG in capitals is passed on but not acted on",
     {L"LOG", L"C:\\x"},
     0,
     L"/LOG \"C:\\x\" CV_I=\"\" ",
     L"C:\\Users\\u\\Temp\\",
     {}},
    {"the stub's own switches are not passed on",
     {L"/dontrun", L"/zeroguid", L"/keep", L"/other"},
     0,
     L"/other CV_I=\"\" ",
     L"C:\\Users\\u\\Temp\\",
     {}},
    {"DontRun in another case is passed on", {L"/DontRun"}, 0, L"/DontRun CV_I=\"\" ", L"C:\\Users\\u\\Temp\\", {}},
    {"temp is used absolute and passed on as written, extra backslash and all",
     {L"temp", L"C:\\Work\\"},
     0,
     L"/temp \"C:\\Work\\\\\" CV_I=\"\" ",
     L"C:\\Work\\",
     {}},
    {"a relative temp is made absolute for the stub only",
     {L"temp", L"work"},
     0,
     L"/temp \"work\" CV_I=\"\" ",
     L"C:\\cwd\\work",
     {}},
    {"temp TRUE is the folder TRUE, passed on in switch form",
     {L"temp", L"TRUE"},
     0,
     L"/temp CV_I=\"\" ",
     L"C:\\cwd\\TRUE",
     {}},
    {"extract is made absolute", {L"extract", L"out"}, 0, L"/extract \"C:\\cwd\\out\" CV_I=\"\" ", L"C:\\Users\\u\\Temp\\", {}},
    {"/temp is misused; its value becomes a bare word",
     {L"/temp", L"C:\\x", L"/IAgreeToTheEULA", L"log", L"L"},
     kMisused,
     L"/temp C:\\x /IAgreeToTheEULA /log \"C:\\cwd\\L\" CV_I=\"\" ",
     L"C:\\Users\\u\\Temp\\",
     {L"C:\\cwd\\L"}},
    {"/log is misused and opens nothing", {L"/log"}, kMisused, L"/log CV_I=\"\" ", L"C:\\Users\\u\\Temp\\", {}},
    {"/extract is misused", {L"/extract"}, kMisused, L"/extract CV_I=\"\" ", L"C:\\Users\\u\\Temp\\", {}},
    {"a switch later replaced by a value is not misused",
     {L"/log", L"log", L"C:\\Logs"},
     0,
     L"/log \"C:\\Logs\\CVInstall.log\" CV_I=\"\" ",
     L"C:\\Users\\u\\Temp\\",
     {L"C:\\Logs\\CVInstall.log"}},
    {"help wins over a misused switch", {L"/?", L"/temp"}, 1, L"/? /temp CV_I=\"\" ", L"C:\\Users\\u\\Temp\\", {}},
    {"help as a bare word", {L"?"}, 1, L"? CV_I=\"\" ", L"C:\\Users\\u\\Temp\\", {}},
    {"a temp path too long to make absolute fails the run",
     {L"temp", kLongPath},
     kMisused,
     L"/temp \"" + kLongPath + L"\" CV_I=\"\" ",
     L"C:\\Users\\u\\Temp\\",
     {}},
    {"a log path too long to make absolute opens nothing and fails the run",
     {L"log", kLongPath},
     kMisused,
     L"/log \"" + kLongPath + L"\" CV_I=\"\" ",
     L"C:\\Users\\u\\Temp\\",
     {}},
    {"an extract path too long keeps its value and fails the run",
     {L"extract", kLongPath},
     kMisused,
     L"/extract \"" + kLongPath + L"\" CV_I=\"\" ",
     L"C:\\Users\\u\\Temp\\",
     {}},
};

TEST(OptionResolution, ResultCommandLineTempFolderAndLog)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const Resolved resolved = Resolve(c.arguments);
        EXPECT_EQ(resolved.result, c.result);
        EXPECT_EQ(resolved.options.commandLine, c.commandLine);
        EXPECT_EQ(resolved.options.tempFolder, c.tempFolder);
        EXPECT_EQ(resolved.environment.openedLogs, c.openedLogs);
    }
}

TEST(OptionResolution, FlagsFollowTheirSwitches)
{
    const RunOptions defaults = Resolve({}).options;
    EXPECT_FALSE(defaults.silent);
    EXPECT_TRUE(defaults.runInstaller);
    EXPECT_FALSE(defaults.zeroGuid);
    EXPECT_TRUE(defaults.removeTempFolder);
    EXPECT_FALSE(defaults.showHelp);

    const RunOptions all = Resolve({L"/IAgreeToTheEULA", L"/dontrun", L"/zeroguid", L"/keep"}).options;
    EXPECT_TRUE(all.silent);
    EXPECT_FALSE(all.runInstaller);
    EXPECT_TRUE(all.zeroGuid);
    EXPECT_FALSE(all.removeTempFolder);

    // Only the switch form counts, in the exact case.
    const RunOptions bare = Resolve({L"IAgreeToTheEULA", L"/DontRun", L"/ZeroGuid", L"keep"}).options;
    EXPECT_FALSE(bare.silent);
    EXPECT_TRUE(bare.runInstaller);
    EXPECT_FALSE(bare.zeroGuid);
    EXPECT_TRUE(bare.removeTempFolder);
}

TEST(OptionResolution, ASecondPassStartsAfreshAndCarriesTheProgramName)
{
    std::vector<const wchar_t*> argv = {L"setup.exe", L"/keep", L"log", L"C:\\Logs"};
    FakeEnvironment environment;
    RunOptions options;
    CCommandLineInfoEx first;
    ParseCommandLine(first, 4, argv.data());
    ASSERT_EQ(ResolveOptions(first, L"", environment, options), 0);
    options.removeTempFolder = true;  // as if changed in between
    options.tempFolder = L"D:\\";

    CCommandLineInfoEx second;
    ParseCommandLine(second, 4, argv.data());
    ASSERT_EQ(ResolveOptions(second, L"Corvane Installer", environment, options), 0);
    EXPECT_FALSE(options.removeTempFolder);
    EXPECT_EQ(options.tempFolder, L"C:\\Users\\u\\Temp\\");
    EXPECT_EQ(options.commandLine, L"/log \"C:\\Logs\\CVInstall.log\" CV_I=\"Corvane Installer\" ");
    // Both passes open the same file; the log keeps it open the second time.
    EXPECT_EQ(environment.openedLogs, (std::vector<std::wstring>{L"C:\\Logs\\CVInstall.log", L"C:\\Logs\\CVInstall.log"}));
}

TEST(OptionResolution, LogsTheOutcome)
{
    EXPECT_EQ(Resolve({L"log", L"C:\\Logs", L"/IAgreeToTheEULA", L"/keep"}, L"Corvane Installer").environment.log,
              L"Command line params /log \"C:\\Logs\\CVInstall.log\" /IAgreeToTheEULA CV_I=\"Corvane Installer\" \n"
              L"Temp folder 'C:\\Users\\u\\Temp\\'\n"
              L"Zero Guid 'NotSet'\n"
              L"Keep 'Set'\n");
    EXPECT_EQ(Resolve({L"/zeroguid"}).environment.log,
              L"Command line params CV_I=\"\" \nTemp folder 'C:\\Users\\u\\Temp\\'\nZero Guid 'Set'\nKeep 'NotSet'\n");
}

TEST(OptionResolution, HelpIsLoggedOncePerTestItPasses)
{
    const Resolved asSwitch = Resolve({L"/?"});
    EXPECT_TRUE(asSwitch.options.showHelp);
    EXPECT_EQ(asSwitch.environment.log.find(L"Ask for help\nAsk for help\nCommand line params"), 0u);

    const Resolved asWord = Resolve({L"?"});
    EXPECT_TRUE(asWord.options.showHelp);
    EXPECT_EQ(asWord.environment.log.find(L"Ask for help\nCommand line params"), 0u);
}

TEST(OptionResolution, APathThatCannotBeMadeAbsoluteIsLoggedWithItsOption)
{
    const std::wstring log = Resolve({L"temp", kLongPath}).environment.log;
    EXPECT_EQ(log.find(L"Path of option 'temp' cannot be made absolute: '" + kLongPath + L"'\n"), 0u);
    EXPECT_NE(Resolve({L"log", kLongPath}).environment.log.find(L"Path of option 'log' cannot"), std::wstring::npos);
    EXPECT_NE(Resolve({L"extract", kLongPath}).environment.log.find(L"Path of option 'extract' cannot"), std::wstring::npos);
}

} // namespace
