#include "app/ErrorReport.h"

#include "framework/Format.h"
#include "res/resource.h"

namespace {

// What a row's string is filled with, in order.
enum class Arguments {
    Name,             // the application name
    NameProgramType,  // the name, the program type setting (string 0)
    CommandTail,      // the raw command-line tail
    DiskSpace,        // the drive, the amount, its unit
    NetRequirement,   // the name, the .NET version, for the SP text its level
    NameExitCode,     // the name, the installer's exit code
    NameResult,       // the name, the result code
};

struct ReportRow {
    ResultCode code;
    unsigned stringId;  // 0: chosen by the service-pack level (the .NET rows)
    Arguments arguments;
    bool downloadLink;
};

constexpr ReportRow kRows[] = {
    {Result::Fail, IDS_INCORRECT_BUILD, Arguments::Name, false},
    {Result::Abort, IDS_PROCESSOR_MODE_FAILED, Arguments::NameProgramType, false},
    {Result::InvalidParameter, IDS_USAGE, Arguments::CommandTail, false},
    {Result::MediumFull, IDS_DISK_SPACE_MESSAGE, Arguments::DiskSpace, false},
    {Result::CorruptFile, IDS_FILE_CORRUPT, Arguments::Name, false},
    {Result::NetFrameworkMissing, 0, Arguments::NetRequirement, true},
    {Result::AdminRightsMissing, IDS_ADMIN_REQUIRED, Arguments::Name, false},
    {Result::MsiEngineTooOld, IDS_MSI_ENGINE_REQUIRED, Arguments::Name, false},
};
constexpr ReportRow kOtherResult = {0, IDS_FAILED_TO_RUN, Arguments::NameResult, false};
constexpr ReportRow kInstallerFailed = {0, IDS_INSTALLER_FAILED, Arguments::NameExitCode, false};

// The installer's exit code when the .NET runtime could not start it: the requirement's
// message with a note, or, for a requirement of service pack 4 or more, this text.
constexpr wchar_t kPreReleaseRuntime[] =
    L".NET 4 run time has failed to run %s.\r\n(Perhaps you have a Pre-release .NET Version).\r\n"
    L"Please download from the Microsoft Download Center and retry.";
constexpr wchar_t kRuntimeDetectedNote[] = L"\r\n(.NET 4 was detected.)";
constexpr int32_t kPreReleaseServicePack = 4;

// The disk-space amount is shown in GB above 1000 MB (1000 MB still reads 1000.0 MB).
constexpr int64_t kLargestMBShown = 1000;

// The vendor's download sites, and its pages for each required .NET version.
constexpr wchar_t kMainSite[] = L"www.microsoft.com";
constexpr wchar_t kNetSite[] = L"dotnet.microsoft.com";
constexpr int32_t kAny = -1;

struct DownloadRow {
    int32_t major;
    int32_t minor;
    int32_t build;
    const wchar_t* scheme;
    const wchar_t* host;
    const wchar_t* path;
};

constexpr DownloadRow kDownloadPages[] = {
    {2, kAny, kAny, L"https", kMainSite, L"/en-us/download/details.aspx?id=1639"},
    {3, kAny, kAny, L"http", kMainSite, L"/en-us/download/details.aspx?id=21"},
    {4, 0, kAny, L"http", kMainSite, L"/en-us/download/details.aspx?id=17718"},
    {4, 5, kAny, L"https", kMainSite, L"/en-us/download/details.aspx?id=42642"},
    {4, 6, kAny, L"https", kMainSite, L"/en-us/download/details.aspx?id=53344"},
    {4, 7, 2, L"https", kNetSite, L"/download/dotnet-framework/net472"},
};

bool Matches(int32_t wanted, int32_t value)
{
    return wanted == kAny || wanted == value;
}

const ReportRow& RowFor(ResultCode code)
{
    for (const ReportRow& row : kRows) {
        if (row.code == code)
            return row;
    }
    return kOtherResult;
}

std::wstring NetRequirementMessage(const ReportFacts& facts, const std::wstring& name, const StringLoader& loadString)
{
    if (facts.requiredNetSP == 0)
        return FormatString(loadString(IDS_NET_REQUIRED).c_str(), name.c_str(), facts.requiredNetName.c_str());
    return FormatString(loadString(IDS_NET_SP_REQUIRED).c_str(), name.c_str(), facts.requiredNetName.c_str(),
                        facts.requiredNetSP);
}

std::wstring RowMessage(const ReportRow& row, const ReportFacts& facts, const std::wstring& name,
                        const StringLoader& loadString)
{
    const std::wstring format = row.stringId != 0 ? loadString(row.stringId) : std::wstring();
    switch (row.arguments) {
    case Arguments::Name:
        return FormatString(format.c_str(), name.c_str());
    case Arguments::NameProgramType:
        return FormatString(format.c_str(), name.c_str(), loadString(IDS_SETTING_PROGRAM_TYPE).c_str());
    case Arguments::CommandTail:
        return FormatString(format.c_str(), facts.commandTail.c_str());
    case Arguments::DiskSpace: {
        const bool inGB = facts.requiredDiskMB > kLargestMBShown;
        const double amount = static_cast<double>(facts.requiredDiskMB) / (inGB ? 1000.0 : 1.0);
        return FormatString(format.c_str(), facts.diskDrive.c_str(), amount, inGB ? L"GB" : L"MB");
    }
    case Arguments::NetRequirement:
        return NetRequirementMessage(facts, name, loadString);
    case Arguments::NameExitCode:
        return FormatString(format.c_str(), name.c_str(), facts.exitCode);
    case Arguments::NameResult:
        return FormatString(format.c_str(), name.c_str(), facts.result);
    }
    return {};
}

} // namespace

std::wstring DownloadPage(int32_t major, int32_t minor, int32_t build)
{
    for (const DownloadRow& row : kDownloadPages) {
        if (Matches(row.major, major) && Matches(row.minor, minor) && Matches(row.build, build))
            return std::wstring(row.scheme) + L"://" + row.host + row.path;
    }
    return {};
}

ReportText ComposeReport(const ReportFacts& facts, const StringLoader& loadString)
{
    const std::wstring name = loadString(IDS_APPLICATION_NAME);
    const std::wstring page = DownloadPage(facts.requiredNetMajor, facts.requiredNetMinor, facts.requiredNetBuild);
    if (facts.result != Result::Ok) {
        const ReportRow& row = RowFor(facts.result);
        return {RowMessage(row, facts, name, loadString), row.downloadLink ? page : std::wstring()};
    }
    // The worker succeeded: the report is about the installer's (negative) exit code.
    if (facts.exitCode != Result::NetRuntimeFailure)
        return {RowMessage(kInstallerFailed, facts, name, loadString), {}};
    if (facts.requiredNetSP >= kPreReleaseServicePack)
        return {FormatString(kPreReleaseRuntime, name.c_str()), page};
    return {NetRequirementMessage(facts, name, loadString) + kRuntimeDetectedNote, page};
}
