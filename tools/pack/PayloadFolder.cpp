#include "tools/pack/PayloadFolder.h"

#include <algorithm>
#include <system_error>

#include "tools/pack/ByteSource.h"
#include "tools/pack/Manifest.h"

namespace brennix::pack {

namespace {

bool EndsWithExe(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ending = name.substr(name.size() - 4);
  std::transform(ending.begin(), ending.end(), ending.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
  return ending == ".exe";
}

}  // namespace

PackResult ScanPayloadFolder(const std::filesystem::path& folder, std::vector<PayloadFile>& files) {
  files.clear();
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    return PackResult::Fail(DisplayPath(folder) + ": no such folder");
  }
  // Links are followed, folders too: payloads are often assembled from links to build output.
  std::filesystem::recursive_directory_iterator it(folder, std::filesystem::directory_options::follow_directory_symlink,
                                                   ec);
  for (; !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    const std::filesystem::path& path = it->path();
    const auto status = std::filesystem::status(path, ec);
    if (ec) return PackResult::Fail(DisplayPath(path) + ": cannot be read (" + ec.message() + ")");
    if (std::filesystem::is_directory(status)) continue;
    if (!std::filesystem::is_regular_file(status)) {
      return PackResult::Fail(DisplayPath(path) + ": not a regular file");
    }
    std::string parts;
    for (const auto& part : path.lexically_relative(folder)) {
      const std::string text = DisplayPath(part);
      if (text.find('\\') != std::string::npos) {
        return PackResult::Fail(DisplayPath(path) + ": a backslash in a name would read as a subfolder");
      }
      parts += (parts.empty() ? "" : "\\") + text;
    }
    if (PackResult result = CheckManifestName(parts); !result) {
      return PackResult::Fail(DisplayPath(path) + ": " + result.message());
    }
    const uint64_t size = std::filesystem::file_size(path, ec);
    if (ec) break;
    files.push_back({parts, path, size});
  }
  if (ec) return PackResult::Fail(DisplayPath(folder) + ": cannot be read (" + ec.message() + ")");
  std::sort(files.begin(), files.end(),
            [](const PayloadFile& a, const PayloadFile& b) { return a.manifestName < b.manifestName; });
  return PackResult::Ok();
}

PackResult ChooseProgram(const std::vector<PayloadFile>& files, const std::string& program, size_t& index) {
  if (!program.empty()) {
    std::string wanted = program;
    std::replace(wanted.begin(), wanted.end(), '/', '\\');
    for (size_t i = 0; i < files.size(); ++i) {
      if (files[i].manifestName != wanted) continue;
      if (!IsLaunchCandidate(wanted)) {
        return PackResult::Fail("--program " + program + ": the stub launches only a file whose name holds \".exe\"");
      }
      index = i;
      return PackResult::Ok();
    }
    return PackResult::Fail("--program " + program + ": no such file in the payload folder");
  }
  std::vector<size_t> found;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string& name = files[i].manifestName;
    if (name.find('\\') == std::string::npos && EndsWithExe(name)) found.push_back(i);
  }
  if (found.size() != 1) {
    return PackResult::Fail(std::string(found.empty() ? "no" : "more than one") +
                            " .exe file at the top of the payload folder; name the program with --program");
  }
  index = found.front();
  return PackResult::Ok();
}

}  // namespace brennix::pack
