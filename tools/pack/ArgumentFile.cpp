#include "tools/pack/ArgumentFile.h"

#include <filesystem>

#include "tools/pack/WholeFile.h"

namespace brennix::pack {

namespace {

constexpr size_t kMaxNesting = 8;
constexpr uint64_t kMaxFileSize = 1 << 20;  // settings, not data

PackResult Expand(const std::vector<std::string>& arguments, const ReadArgumentText& read, size_t depth,
                  std::vector<std::string>& expanded) {
  for (const std::string& argument : arguments) {
    if (argument.empty() || argument[0] != '@') {
      expanded.push_back(argument);
      continue;
    }
    const std::string path = argument.substr(1);
    if (path.empty()) return PackResult::Fail("@ needs a file name (@FILE)");
    if (depth == kMaxNesting) return PackResult::Fail(argument + ": argument files nest too deeply (does one name itself?)");
    std::string text;
    if (PackResult result = read(path, text); !result) return PackResult::Fail(argument + ": " + result.message());
    if (PackResult result = Expand(SplitArgumentLines(text), read, depth + 1, expanded); !result) return result;
  }
  return PackResult::Ok();
}

}  // namespace

std::vector<std::string> SplitArgumentLines(const std::string& text) {
  std::vector<std::string> arguments;
  size_t start = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] != '#') arguments.push_back(line);
    start = end + 1;
  }
  return arguments;
}

PackResult ExpandArgumentFiles(const std::vector<std::string>& arguments, const ReadArgumentText& read,
                               std::vector<std::string>& expanded) {
  expanded.clear();
  return Expand(arguments, read, 0, expanded);
}

PackResult ReadArgumentFile(const std::string& path, std::string& text) {
  std::vector<uint8_t> bytes;
  if (PackResult result = ReadWholeFile(std::filesystem::u8path(path), kMaxFileSize, bytes); !result) return result;
  text.assign(bytes.begin(), bytes.end());
  return PackResult::Ok();
}

}  // namespace brennix::pack
