// brennix-pack: makes a setup file from a built stub. See PackUsage() for the command line.
#include <iostream>
#include <string>
#include <vector>

#include "tools/pack/ArgumentFile.h"
#include "tools/pack/PackOptions.h"
#include "tools/pack/Packer.h"

namespace {

constexpr int kExitPackFailed = 1;
constexpr int kExitBadCommandLine = 2;

int Run(const std::vector<std::string>& arguments) {
  using namespace brennix::pack;
  std::vector<std::string> expanded;
  if (PackResult result = ExpandArgumentFiles(arguments, ReadArgumentFile, expanded); !result) {
    std::cerr << "brennix-pack: " << result.message() << "\n";
    return kExitBadCommandLine;
  }
  PackOptions options;
  if (PackResult result = ParsePackOptions(expanded, options); !result) {
    std::cerr << "brennix-pack: " << result.message() << "\n";
    return kExitBadCommandLine;
  }
  if (options.help) {
    std::cout << PackUsage();
    return 0;
  }
  if (PackResult result = Pack(options, std::cout, std::cerr); !result) {
    std::cerr << "brennix-pack: " << result.message() << "\n";
    return kExitPackFailed;
  }
  return 0;
}

}  // namespace

#ifdef _WIN32
#include "tools/pack/TextEncoding.h"

// Windows hands over UTF-16 arguments; the packer works in UTF-8 like on every other system.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(brennix::pack::Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  return Run(arguments);
}
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
