// The end-of-run report: which message and link each failure gets, filled from the shipped
// string table (res/Strings.rc.in with the shipped settings).
#include "app/ErrorReport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::wstring Widen(const std::string& utf8)
{
    std::wstring wide;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        unsigned value = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            value = (value << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        wide += static_cast<wchar_t>(value);
        i += extra + 1;
    }
    return wide;
}

// A resource-script string literal's text: its escapes and doubled quotes resolved.
std::string Unescape(const std::string& literal)
{
    std::string text;
    for (size_t i = 0; i < literal.size(); ++i) {
        if (literal[i] == '"' && i + 1 < literal.size() && literal[i + 1] == '"') {
            text += '"';
            ++i;
        } else if (literal[i] == '\\' && i + 1 < literal.size()) {
            const char next = literal[++i];
            text += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
        } else {
            text += literal[i];
        }
    }
    return text;
}

// The shipped string table, as the stub's resource compiler builds it.
class ShippedStrings {
public:
    ShippedStrings()
    {
        std::map<std::string, unsigned> ids;
        const std::string header = ReadFile(BRENNIX_SOURCE_DIR "/res/resource.h");
        const std::regex define(R"(#define\s+(IDS_\w+)\s+(\d+))");
        for (std::sregex_iterator it(header.begin(), header.end(), define), end; it != end; ++it)
            ids[(*it)[1]] = static_cast<unsigned>(std::stoul((*it)[2]));
        const std::string script = ReadFile(BRENNIX_SOURCE_DIR "/res/Strings.rc.in");
        const std::regex entry(R"re(^\s*(IDS_\w+)\s+"((?:[^"]|"")*)"\s*$)re", std::regex::multiline);
        for (std::sregex_iterator it(script.begin(), script.end(), entry), end; it != end; ++it) {
            std::string text = Unescape((*it)[2]);
            text = std::regex_replace(text, std::regex("@RC_APPLICATION_NAME@"), "Lumetra Installer");
            text = std::regex_replace(text, std::regex("@RC_PROGRAM_TYPE@"), "x86");
            m_strings[ids.at((*it)[1])] = Widen(text);
        }
    }

    std::wstring operator()(unsigned id) const
    {
        const auto found = m_strings.find(id);
        return found != m_strings.end() ? found->second : std::wstring();
    }

private:
    std::map<unsigned, std::wstring> m_strings;
};

constexpr int32_t kFail = static_cast<int32_t>(0x80004005);
constexpr int32_t kNetRuntimeFailure = static_cast<int32_t>(0x80131700);

const wchar_t kPage20[] = L"https://www.microsoft.com/en-us/download/details.aspx?id=1639";
const wchar_t kPage30[] = L"http://www.microsoft.com/en-us/download/details.aspx?id=21";
const wchar_t kPage40[] = L"http://www.microsoft.com/en-us/download/details.aspx?id=17718";
const wchar_t kPage45[] = L"https://www.microsoft.com/en-us/download/details.aspx?id=42642";
const wchar_t kPage46[] = L"https://www.microsoft.com/en-us/download/details.aspx?id=53344";
const wchar_t kPage472[] = L"https://dotnet.microsoft.com/download/dotnet-framework/net472";

ReportFacts Facts(int32_t result, int32_t exitCode = 0)
{
    ReportFacts facts;
    facts.result = result;
    facts.exitCode = exitCode;
    facts.requiredNetName = L".NET (full) 4.0";
    facts.requiredNetMajor = 4;
    facts.requiredNetMinor = 0;
    return facts;
}

ReportFacts DiskFacts(int64_t requiredMB)
{
    ReportFacts facts = Facts(static_cast<int32_t>(0x80030070));
    facts.diskDrive = L"C:";
    facts.requiredDiskMB = requiredMB;
    return facts;
}

ReportFacts NetFacts(int32_t result, int32_t exitCode, int32_t servicePack, int32_t major, int32_t minor, int32_t build)
{
    ReportFacts facts = Facts(result, exitCode);
    facts.requiredNetSP = servicePack;
    facts.requiredNetMajor = major;
    facts.requiredNetMinor = minor;
    facts.requiredNetBuild = build;
    return facts;
}

struct ReportCase {
    const char* name;
    ReportFacts facts;
    std::wstring message;
    std::wstring link;
};

const std::wstring kNet40Required =
    L"Lumetra Installer requires .NET (full) 4.0. Please download from the Microsoft Download Center and retry.";

const ReportCase kReportCases[] = {
    {"temp folder not writable", Facts(kFail),
     L"Contact Technical Support. Incorrect Lumetra Installer build. (Try setting the temp folder from the command line.)", L""},
    {"processor mode", Facts(static_cast<int32_t>(0x80004004)),
     L"Lumetra Installer failed to switch into processor mode (x86)", L""},
    {"value switch misused",
     [] {
         ReportFacts facts = Facts(static_cast<int32_t>(0x80030057));
         facts.commandTail = L"/temp C:\\x";
         return facts;
     }(),
     L"Command line '/temp C:\\x' incorrect.\nValid switches include:- \n\t extract [path] log [path] temp [path]\n"
     L"Example\n\t log c:\\log.txt /IAgreeToTheEULA",
     L""},
    {"disk 100 MB", DiskFacts(100),
     L"Insufficient disk space on drive 'C:'. 100.0 MB of free disk space is required.", L""},
    {"disk 1000 MB stays MB", DiskFacts(1000),
     L"Insufficient disk space on drive 'C:'. 1000.0 MB of free disk space is required.", L""},
    {"disk 1001 MB in GB", DiskFacts(1001),
     L"Insufficient disk space on drive 'C:'. 1.0 GB of free disk space is required.", L""},
    {"disk 1500 MB", DiskFacts(1500),
     L"Insufficient disk space on drive 'C:'. 1.5 GB of free disk space is required.", L""},
    {"disk 2048 MB", DiskFacts(2048),
     L"Insufficient disk space on drive 'C:'. 2.0 GB of free disk space is required.", L""},
    {"disk path unparsable", [] { ReportFacts facts = DiskFacts(100); facts.diskDrive.clear(); return facts; }(),
     L"Insufficient disk space on drive ''. 100.0 MB of free disk space is required.", L""},
    {"corrupt file", Facts(static_cast<int32_t>(0x80040167)),
     L"A file is corrupt. Download Lumetra Installer and retry.", L""},
    {"net missing, shipped settings", NetFacts(static_cast<int32_t>(0x80110409), 0, 0, 4, 0, 0), kNet40Required, kPage40},
    {"net missing with a service pack",
     [] {
         ReportFacts facts = NetFacts(static_cast<int32_t>(0x80110409), 0, 1, 3, 5, 0);
         facts.requiredNetName = L".NET 3.5";
         return facts;
     }(),
     L"Lumetra Installer requires .NET 3.5 SP 1. Please download from the Microsoft Download Center and retry.", kPage30},
    {"net 4.7 build 3 has no page", NetFacts(static_cast<int32_t>(0x80110409), 0, 0, 4, 7, 3), kNet40Required, L""},
    {"admin rights", Facts(static_cast<int32_t>(0x80110413)),
     L"You need local administrator privileges to run Lumetra Installer.", L""},
    {"msi engine", Facts(1613),
     L"Lumetra Installer requires MSI Engine 2.0. This can be downloaded from the Microsoft Download Center.", L""},
    {"installer's runtime failed, SP 0", NetFacts(0, kNetRuntimeFailure, 0, 4, 0, 0),
     kNet40Required + L"\r\n(.NET 4 was detected.)", kPage40},
    {"installer's runtime failed, SP 2", NetFacts(0, kNetRuntimeFailure, 2, 4, 5, 0),
     L"Lumetra Installer requires .NET (full) 4.0 SP 2. Please download from the Microsoft Download Center and retry."
     L"\r\n(.NET 4 was detected.)",
     kPage45},
    {"installer's runtime failed, SP 4", NetFacts(0, kNetRuntimeFailure, 4, 4, 6, 0),
     L".NET 4 run time has failed to run Lumetra Installer.\r\n(Perhaps you have a Pre-release .NET Version).\r\n"
     L"Please download from the Microsoft Download Center and retry.",
     kPage46},
    {"installer's runtime failed, SP 5", NetFacts(0, kNetRuntimeFailure, 5, 4, 7, 2),
     L".NET 4 run time has failed to run Lumetra Installer.\r\n(Perhaps you have a Pre-release .NET Version).\r\n"
     L"Please download from the Microsoft Download Center and retry.",
     kPage472},
    {"installer exits with E_FAIL", Facts(0, kFail), L"Lumetra Installer failed with exit code 0x80004005.", L""},
    {"installer exits with -1", Facts(0, -1), L"Lumetra Installer failed with exit code 0xffffffff.", L""},
    {"signature refused", Facts(static_cast<int32_t>(0x800B0100)), L"Failed to run Lumetra Installer error 0x800b0100.", L""},
    {"installer cannot start", Facts(static_cast<int32_t>(0x80070057)),
     L"Failed to run Lumetra Installer error 0x80070057.", L""},
    {"a link only for the .NET rows", NetFacts(static_cast<int32_t>(0x80110413), 0, 0, 4, 0, 0),
     L"You need local administrator privileges to run Lumetra Installer.", L""},
};

TEST(ErrorReport, EveryRowGivesItsMessageAndLink)
{
    const ShippedStrings strings;
    for (const ReportCase& row : kReportCases) {
        SCOPED_TRACE(row.name);
        const ReportText report = ComposeReport(row.facts, strings);
        EXPECT_EQ(report.message, row.message);
        EXPECT_EQ(report.link, row.link);
    }
}

TEST(ErrorReport, MissingApplicationNameLeavesItEmpty)
{
    const ShippedStrings shipped;
    const StringLoader withoutName = [&](unsigned id) { return id == 1 ? std::wstring() : shipped(id); };
    EXPECT_EQ(ComposeReport(Facts(static_cast<int32_t>(0x800B0100)), withoutName).message,
              L"Failed to run  error 0x800b0100.");
}

struct PageCase {
    int32_t major, minor, build;
    std::wstring page;
};

TEST(ErrorReport, DownloadPageByRequiredVersion)
{
    const PageCase cases[] = {
        {2, 0, 50727, kPage20}, {2, 9, 0, kPage20}, {3, 0, 0, kPage30},  {3, 5, 30729, kPage30},
        {4, 0, 0, kPage40},     {4, 0, 9, kPage40}, {4, 5, 1, kPage45},  {4, 6, 2, kPage46},
        {4, 7, 2, kPage472},    {4, 7, 0, L""},     {4, 7, 3, L""},      {4, 1, 0, L""},
        {4, 4, 0, L""},         {4, 8, 0, L""},     {1, 1, 0, L""},      {5, 0, 0, L""},
        {0, 0, 0, L""},         {-1, 0, 0, L""},
    };
    for (const PageCase& row : cases) {
        SCOPED_TRACE(testing::Message() << row.major << "." << row.minor << "." << row.build);
        EXPECT_EQ(DownloadPage(row.major, row.minor, row.build), row.page);
    }
}

} // namespace
