#include "app/OptionResolution.h"

#include "framework/Format.h"

namespace {

// The switches the stub acts on itself, the flag each one sets, and whether the installer
// sees it too.
struct StubSwitch {
    const wchar_t* name;
    bool RunOptions::*flag;
    bool valueWhenSet;
    bool passedOn;
};

constexpr StubSwitch kStubSwitches[] = {
    {L"IAgreeToTheEULA", &RunOptions::silent, true, true},
    {L"dontrun", &RunOptions::runInstaller, false, false},
    {L"zeroguid", &RunOptions::zeroGuid, true, false},
    {L"keep", &RunOptions::removeTempFolder, false, false},
};

constexpr wchar_t kHelpSwitch[] = L"?";

// A value keyword written as a switch ("/log") has no value to act on.
bool IsMisusedAsSwitch(const CCommandLineInfoEx& info, const wchar_t* name)
{
    return info.m_mapFlags.count(name) != 0 && info.IsSwitchSet(name);
}

// `path` made absolute into `absolute`; logs which option failed when it cannot be.
bool MakeAbsolute(OptionEnvironment& environment, const wchar_t* option, const std::wstring& path,
                  std::wstring& absolute)
{
    if (environment.FullPath(path, absolute))
        return true;
    environment.WriteLog(FormatString(L"Path of option '%s' cannot be made absolute: '%s'\n", option, path.c_str()));
    return false;
}

// The log file for the log option's value: the value made absolute, or CVInstall.log inside
// it when it names an existing folder.
bool ResolveLogPath(OptionEnvironment& environment, const std::wstring& value, std::wstring& logPath)
{
    if (!MakeAbsolute(environment, L"log", value, logPath))
        return false;
    if (!environment.IsExistingFolder(logPath))
        return true;
    return MakeAbsolute(environment, L"log", value + L"\\" + kLogFileName, logPath);
}

void ShowHelp(OptionEnvironment& environment, RunOptions& options, ResultCode& result)
{
    result = Result::HelpRequested;
    options.showHelp = true;
    environment.WriteLog(L"Ask for help\n");
}

} // namespace

ResultCode ResolveOptions(CCommandLineInfoEx& info, const std::wstring& programName, OptionEnvironment& environment,
                          RunOptions& options)
{
    ResultCode result = Result::Ok;
    options = RunOptions{};
    options.tempFolder = environment.DefaultTempFolder();

    for (const StubSwitch& stubSwitch : kStubSwitches) {
        if (!info.IsSwitchSet(stubSwitch.name))
            continue;
        options.*stubSwitch.flag = stubSwitch.valueWhenSet;
        if (!stubSwitch.passedOn)
            info.m_mapSwitches.RemoveKey(stubSwitch.name);
    }

    std::wstring value;
    std::wstring absolute;
    if (IsMisusedAsSwitch(info, L"extract")) {
        result = Result::InvalidParameter;
    } else if (info.m_mapSwitches.Lookup(L"extract", value)) {
        if (MakeAbsolute(environment, L"extract", value, absolute))
            info.SetSwitchValue(L"extract", absolute);
        else
            result = Result::InvalidParameter;
    }

    if (IsMisusedAsSwitch(info, L"log")) {
        result = Result::InvalidParameter;
    } else if (info.m_mapSwitches.Lookup(L"log", value)) {
        if (ResolveLogPath(environment, value, absolute)) {
            info.SetSwitchValue(L"log", absolute);
            environment.OpenLog(absolute);
        } else {
            result = Result::InvalidParameter;
        }
    }

    if (IsMisusedAsSwitch(info, L"temp")) {
        result = Result::InvalidParameter;
    } else if (info.m_mapSwitches.Lookup(L"temp", value)) {
        // The stub works in the absolute folder; the installer gets the value as written.
        if (MakeAbsolute(environment, L"temp", value, absolute))
            options.tempFolder = absolute;
        else
            result = Result::InvalidParameter;
    }

    info.BuildCommandLine(programName, options.commandLine);

    // Two tests, each enough on its own: "/?" passes both and so logs its request twice.
    if (info.m_mapFlags.count(kHelpSwitch) != 0 && info.IsSwitchSet(kHelpSwitch))
        ShowHelp(environment, options, result);
    if (info.m_mapSwitches.Contains(kHelpSwitch))
        ShowHelp(environment, options, result);

    environment.WriteLog(FormatString(L"Command line params %s\n", options.commandLine.c_str()));
    environment.WriteLog(FormatString(L"Temp folder '%s'\n", options.tempFolder.c_str()));
    environment.WriteLog(FormatString(L"Zero Guid '%s'\n", options.zeroGuid ? L"Set" : L"NotSet"));
    environment.WriteLog(FormatString(L"Keep '%s'\n", options.removeTempFolder ? L"NotSet" : L"Set"));
    return result;
}
