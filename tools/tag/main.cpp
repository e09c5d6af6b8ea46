// brennix-tag: puts an information block into a setup file, or takes it away.
//   brennix-tag --in SETUP.exe --out TAGGED.exe (--info FILE | --remove)
#include "tools/tag/Tagging.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: brennix-tag --in SETUP.exe --out TAGGED.exe (--info FILE | --remove)\n"
    "  --info FILE  put the bytes of FILE (1 to 4106 bytes, without \"MRDC\") at the end of the\n"
    "               setup file, replacing an earlier tag; a signature stays valid\n"
    "  --remove     take an earlier tag away\n"
    "SETUP.exe is a 32-bit (PE32) setup file, or a 64-bit (PE32+) one.\n";

using Path = std::filesystem::path;

struct Options {
    Path inPath;
    Path outPath;
    Path infoPath;
    bool remove = false;
};

std::string Quoted(const Path& path)
{
    const auto text = path.u8string();
    return "'" + std::string(text.begin(), text.end()) + "'";
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "brennix-tag: %s\n", message.c_str());
    return kExitFailure;
}

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "brennix-tag: %s\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

bool ReadFile(const Path& path, Bytes& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteFile(const Path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

// Reads the arguments; returns an empty text on success, else what is wrong.
std::string ParseArguments(const std::vector<Path>& arguments, Options& options)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        const Path& argument = arguments[i];
        auto value = [&](Path& target) {
            if (i + 1 >= arguments.size())
                return false;
            target = arguments[++i];
            return true;
        };
        if (argument == "--in") {
            if (!value(options.inPath)) return "--in needs a file";
        } else if (argument == "--out") {
            if (!value(options.outPath)) return "--out needs a file";
        } else if (argument == "--info") {
            if (!value(options.infoPath)) return "--info needs a file";
        } else if (argument == "--remove") {
            options.remove = true;
        } else {
            return "unknown argument " + Quoted(argument);
        }
    }
    if (options.inPath.empty() || options.outPath.empty())
        return "--in and --out are required";
    if (options.infoPath.empty() == !options.remove)
        return "give exactly one of --info and --remove";
    return {};
}

int Run(const std::vector<Path>& arguments)
{
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    Options options;
    const std::string problem = ParseArguments(arguments, options);
    if (!problem.empty())
        return UsageError(problem);

    Bytes image;
    if (!ReadFile(options.inPath, image))
        return Fail("cannot read " + Quoted(options.inPath));
    std::string error;
    if (options.remove) {
        bool removed = false;
        if (!RemoveTag(image, removed, error))
            return Fail(Quoted(options.inPath) + ": " + error);
        if (!removed)
            std::fprintf(stderr, "brennix-tag: %s carries no tag; written unchanged\n", Quoted(options.inPath).c_str());
    } else {
        Bytes info;
        if (!ReadFile(options.infoPath, info))
            return Fail("cannot read " + Quoted(options.infoPath));
        if (!ApplyTag(image, info, error))
            return Fail(Quoted(options.inPath) + ": " + error);
    }
    if (!WriteFile(options.outPath, image))
        return Fail("cannot write " + Quoted(options.outPath));
    return 0;
}

} // namespace

// Windows hands the arguments over as wide text, so any file name reaches the file calls whole.
#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
#else
int main(int argc, char** argv)
#endif
{
    return Run(std::vector<Path>(argv + 1, argv + argc));
}
