// The branding options of the command line: the setup file's icon, pictures and version
// resource. Their values (the files, the numbers, the keys) are checked when the setup file is
// made, against the stub they change.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/pack/PackResult.h"

namespace brennix::pack {

struct BrandingOptions {
  std::string icon;    // --icon FILE.ico
  std::string splash;  // --splash FILE.bmp
  std::string banner;  // --banner FILE.bmp
  std::string version; // --version A.B.C.D, as given
  std::vector<std::pair<std::string, std::string>> versionStrings;  // --version-string KEY=VALUE
};

// Whether option is one of the branding options (all take a value).
bool IsBrandingOption(const std::string& option);

// Records one branding option. Fails, naming it, when a single-valued option is given twice,
// a value is empty, or --version-string is not KEY=VALUE or names a key twice.
PackResult AddBrandingOption(const std::string& option, const std::string& value, BrandingOptions& branding);

}  // namespace brennix::pack
