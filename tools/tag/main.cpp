// brennix-tag: puts an information block into a setup file, or takes it away.
//   brennix-tag --in SETUP.exe --out TAGGED.exe (--info FILE | --remove)
#include "tools/tag/Tagging.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: brennix-tag --in SETUP.exe --out TAGGED.exe (--info FILE | --remove)\n"
    "  --info FILE  put the bytes of FILE (1 to 4106 bytes, without \"MRDC\") at the end of the\n"
    "               setup file, replacing an earlier tag; a signature stays valid\n"
    "  --remove     take an earlier tag away\n";

struct Options {
    std::string inPath;
    std::string outPath;
    std::string infoPath;
    bool remove = false;
};

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

bool ReadFile(const std::string& path, Bytes& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

// Reads the arguments; returns an empty text on success, else what is wrong.
std::string ParseArguments(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        auto value = [&](std::string& target) {
            if (i + 1 >= argc)
                return false;
            target = argv[++i];
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
            return "unknown argument '" + argument + "'";
        }
    }
    if (options.inPath.empty() || options.outPath.empty())
        return "--in and --out are required";
    if (options.infoPath.empty() == !options.remove)
        return "give exactly one of --info and --remove";
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    Options options;
    const std::string problem = ParseArguments(argc, argv, options);
    if (!problem.empty())
        return UsageError(problem);

    Bytes image;
    if (!ReadFile(options.inPath, image))
        return Fail("cannot read '" + options.inPath + "'");
    std::string error;
    if (options.remove) {
        bool removed = false;
        if (!RemoveTag(image, removed, error))
            return Fail("'" + options.inPath + "': " + error);
        if (!removed)
            std::fprintf(stderr, "brennix-tag: '%s' carries no tag; written unchanged\n", options.inPath.c_str());
    } else {
        Bytes info;
        if (!ReadFile(options.infoPath, info))
            return Fail("cannot read '" + options.infoPath + "'");
        if (!ApplyTag(image, info, error))
            return Fail("'" + options.inPath + "': " + error);
    }
    if (!WriteFile(options.outPath, image))
        return Fail("cannot write '" + options.outPath + "'");
    return 0;
}
