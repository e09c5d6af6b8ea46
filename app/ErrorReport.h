#pragma once
// What the end-of-run report says: the message for a failure and, for a missing .NET
// Framework, the page to download it from. Plain data in, text out; no Windows header, so
// the table is tested natively.
#include "app/ResultCode.h"

#include <cstdint>
#include <functional>
#include <string>

// The facts of the run that the report draws on.
struct ReportFacts {
    ResultCode result = 0;
    int32_t exitCode = 0;            // the launched installer's
    std::wstring commandTail;        // the raw command line without the program's name
    int64_t requiredDiskMB = 0;
    std::wstring diskDrive;
    std::wstring requiredNetName;
    int32_t requiredNetSP = 0;
    int32_t requiredNetMajor = 0;
    int32_t requiredNetMinor = 0;
    int32_t requiredNetBuild = 0;
};

struct ReportText {
    std::wstring message;
    std::wstring link;  // empty when no page applies
};

// Loads a string-table entry by id; a missing entry reads as empty.
using StringLoader = std::function<std::wstring(unsigned id)>;

// The message and link for `facts`: the row of the result code, or of the installer's exit
// code when the result is 0; a code without a row of its own gets the general text.
ReportText ComposeReport(const ReportFacts& facts, const StringLoader& loadString);

// The download page for a required .NET Framework version; empty when none applies.
std::wstring DownloadPage(int32_t major, int32_t minor, int32_t build);
