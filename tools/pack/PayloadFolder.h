// Turns a release engineer's installer folder into the list of files the setup file carries.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/pack/PackResult.h"

namespace brennix::pack {

struct PayloadFile {
  std::string manifestName;  // path below the folder, backslash-separated, UTF-8
  std::filesystem::path path;
  uint64_t size = 0;
};

// Lists every regular file under folder (following links), sorted by manifest name.
// Empty folders carry nothing. Fails when folder is missing, cannot be read, or holds a name
// that the manifest cannot carry (see CheckManifestName) or a backslash.
PackResult ScanPayloadFolder(const std::filesystem::path& folder, std::vector<PayloadFile>& files);

// Picks the program the setup file launches: program (a path below the folder, "/" or "\"
// separated) when given, else the one file at the top of the folder whose name ends in ".exe"
// (any case). Returns its index in files. Fails when program is not among the files, is not a
// name the stub launches, or when the top holds no ".exe" or more than one.
PackResult ChooseProgram(const std::vector<PayloadFile>& files, const std::string& program, size_t& index);

}  // namespace brennix::pack
