// Fuzzes the command-line dictionary and the composed installer command line. Input: lines
// (split at '\n'); the first is the program name, the others are the arguments, each byte one
// character. Checks: the program-name property comes last, the installer's runtime splits the
// composed line back into the entries whenever they can be written unambiguously, and the
// option resolution returns only its three results.
#include "app/CommandLineInfoEx.h"
#include "app/OptionResolution.h"
#include "tests/support/RuntimeArguments.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

bool IsTrueIgnoringCase(const std::wstring& value)
{
    if (value.size() != 4)
        return false;
    for (size_t i = 0; i < 4; ++i) {
        const wchar_t c = value[i] >= L'a' && value[i] <= L'z' ? value[i] - L'a' + L'A' : value[i];
        if (c != L"TRUE"[i])
            return false;
    }
    return true;
}

// A name that the runtime reads back as one argument: no white space, no quote, not empty.
bool IsPlainWord(const std::wstring& word)
{
    return !word.empty() && word.find_first_of(L" \t\"") == std::wstring::npos;
}

// The installer's arguments for the entries, or false when some entry has no unambiguous form
// (quotes and white space are passed on as they are, by design).
bool ExpectedInstallerArguments(const CCommandLineInfoEx& info, const std::wstring& programName,
                                std::vector<std::wstring>& arguments)
{
    for (const auto& [name, value] : info.m_mapSwitches.Entries()) {
        if (!IsPlainWord(name))
            return false;
        if (IsTrueIgnoringCase(value)) {
            arguments.push_back(L"/" + name);
        } else if (value.empty()) {
            arguments.push_back(name);
        } else {
            if (value.find(L'"') != std::wstring::npos)
                return false;
            arguments.push_back(L"/" + name);
            arguments.push_back(value);
        }
    }
    if (programName.find(L'"') != std::wstring::npos)
        return false;
    arguments.push_back(L"CV_I=" + programName);
    return true;
}

// The line ends with CV_I="name" and a space (the name may carry extra trailing backslashes).
bool EndsWithProgramProperty(const std::wstring& commandLine, const std::wstring& programName)
{
    const std::wstring property = L"CV_I=\"" + programName;
    const size_t at = commandLine.rfind(property);
    if (at == std::wstring::npos || commandLine.size() < 2 || commandLine.compare(commandLine.size() - 2, 2, L"\" ") != 0)
        return false;
    const size_t rest = at + property.size();
    return commandLine.find_first_not_of(L'\\', rest) == commandLine.size() - 2;
}

class QuietEnvironment : public OptionEnvironment {
public:
    std::wstring DefaultTempFolder() override { return L"C:\\Temp\\"; }
    bool FullPath(const std::wstring& path, std::wstring& absolute) override
    {
        absolute = L"C:\\cwd\\" + path;
        return absolute.size() <= 260;
    }
    bool IsExistingFolder(const std::wstring& path) override { return path.size() % 2 == 0; }
    void OpenLog(const std::wstring&) override {}
    void WriteLog(const std::wstring&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::wstring> lines(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n')
            lines.emplace_back();
        else
            lines.back() += static_cast<wchar_t>(data[i]);
    }
    const std::wstring programName = lines[0];
    std::vector<const wchar_t*> argv;
    for (const std::wstring& line : lines)
        argv.push_back(line.c_str());  // lines[0] stands in for the program's own name

    CCommandLineInfoEx info;
    ParseCommandLine(info, static_cast<int>(argv.size()), argv.data());
    for (const auto& [name, value] : info.m_mapSwitches.Entries())
        Check(info.IsSwitchSet(name) == IsTrueIgnoringCase(value));

    std::wstring commandLine;
    info.BuildCommandLine(programName, commandLine);
    Check(EndsWithProgramProperty(commandLine, programName));

    std::vector<std::wstring> expected;
    if (ExpectedInstallerArguments(info, programName, expected))
        Check(SplitLikeRuntime(commandLine) == expected);

    CCommandLineInfoEx again;
    ParseCommandLine(again, static_cast<int>(argv.size()), argv.data());
    QuietEnvironment environment;
    RunOptions options;
    const ResultCode result = ResolveOptions(again, programName, environment, options);
    Check(result == 0 || result == 1 || result == static_cast<ResultCode>(0x80030057));
    Check(EndsWithProgramProperty(options.commandLine, programName));
    return 0;
}
