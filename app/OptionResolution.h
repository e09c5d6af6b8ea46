#pragma once
// The options the stub acts on, resolved from the command-line dictionary, and the command
// line composed for the installer. Platform-free: the few platform services it needs come
// through OptionEnvironment.
#include "app/CommandLineInfoEx.h"
#include "app/ResultCode.h"

#include <string>

// The platform services the resolution needs.
class OptionEnvironment {
public:
    virtual ~OptionEnvironment() = default;

    // The folder a run without a temp option works under.
    virtual std::wstring DefaultTempFolder() = 0;
    // `path` made absolute against the current folder (an empty path gives the current folder
    // itself) into `absolute`; false when that cannot be done, e.g. the result would exceed
    // 260 characters.
    virtual bool FullPath(const std::wstring& path, std::wstring& absolute) = 0;
    // True when `path`, taken in the thread's ANSI code page, names an existing folder.
    virtual bool IsExistingFolder(const std::wstring& path) = 0;
    // Directs the diagnostic log to the file at `path`.
    virtual void OpenLog(const std::wstring& path) = 0;
    // Writes `text` to the diagnostic log.
    virtual void WriteLog(const std::wstring& text) = 0;
};

// The run's options as the command line sets them.
struct RunOptions {
    bool zeroGuid = false;
    bool removeTempFolder = true;
    bool runInstaller = true;
    bool silent = false;
    // Only ever set here; the caller keeps an earlier true.
    bool showHelp = false;
    std::wstring tempFolder;
    // The installer's command line.
    std::wstring commandLine;
};

// Name of the log file written inside a folder given as the log path.
constexpr wchar_t kLogFileName[] = L"CVInstall.log";

// Resolves the options from the arguments in `info` into `options` (all fields are set
// afresh), takes out of `info` the switches that are the stub's own (dontrun, zeroguid, keep),
// stores the absolute extract and log paths back into it, opens the log when a log path is
// given, composes the installer's command line with `programName` and logs the outcome.
// Returns 0; 1 when help was asked for; 0x80030057 when temp, log or extract was written as
// a switch, or when its path cannot be made absolute (logged, naming the option). Every step
// runs even after a failure, and help wins over 0x80030057.
ResultCode ResolveOptions(CCommandLineInfoEx& info, const std::wstring& programName, OptionEnvironment& environment,
                          RunOptions& options);
