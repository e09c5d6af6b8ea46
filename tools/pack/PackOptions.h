// The brennix-pack command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/pack/BrandingOptions.h"
#include "tools/pack/PackResult.h"
#include "tools/pack/ResourceTree.h"

namespace brennix::pack {

constexpr int kDefaultCompressionLevel = 19;
constexpr int kMaxCompressionLevel = 22;

struct FileOption {  // --file ID=NAME=PATH
  uint16_t id = 0;
  std::string name;
  std::string path;
};

struct ResourceOption {  // --resource TYPE/NAME=PATH
  ResourceKey type;
  ResourceKey name;
  std::string text;  // TYPE/NAME as given, for messages
  std::string path;
};

struct StringEdit {  // --set ID=TEXT or --unset ID
  uint16_t id = 0;
  bool unset = false;
  std::u16string text;
};

struct PackOptions {
  bool help = false;
  std::string stub;
  std::string out;
  std::string payloadFolder;
  std::string program;
  std::vector<FileOption> files;
  std::string manifestFile;
  bool noManifest = false;
  bool store = false;      // --store: every file raw in its own resource
  int level = kDefaultCompressionLevel;  // --level N
  std::vector<ResourceOption> resources;
  std::vector<StringEdit> strings;
  BrandingOptions branding;

  // Whether the command line says what the payload is; the stub's own TOOLKIT resources are
  // then replaced.
  bool DefinesPayload() const {
    return !payloadFolder.empty() || !files.empty() || !manifestFile.empty() || noManifest;
  }
};

// Parses the arguments after the program name (UTF-8). Each value option takes the next
// argument or the text after "=" ("--stub=x.exe"). Fails, naming the argument and what is
// wrong, on an unknown option, a missing value, a malformed ID, NAME or TYPE/NAME, a
// duplicate id, conflicting options, or a missing --stub or --out (unless --help is given).
PackResult ParsePackOptions(const std::vector<std::string>& arguments, PackOptions& options);

// The --help text.
const char* PackUsage();

}  // namespace brennix::pack
