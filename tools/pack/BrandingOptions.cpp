#include "tools/pack/BrandingOptions.h"

#include <algorithm>
#include <iterator>

namespace brennix::pack {

namespace {

struct SingleOption {
  const char* name;
  std::string BrandingOptions::*field;
};

const SingleOption kSingleOptions[] = {
    {"--icon", &BrandingOptions::icon},
    {"--splash", &BrandingOptions::splash},
    {"--banner", &BrandingOptions::banner},
    {"--version", &BrandingOptions::version},
};

constexpr char kVersionString[] = "--version-string";

}  // namespace

bool IsBrandingOption(const std::string& option) {
  return option == kVersionString || std::any_of(std::begin(kSingleOptions), std::end(kSingleOptions),
                                                 [&](const SingleOption& single) { return option == single.name; });
}

PackResult AddBrandingOption(const std::string& option, const std::string& value, BrandingOptions& branding) {
  if (value.empty()) return PackResult::Fail(option + " needs a non-empty value");
  for (const SingleOption& single : kSingleOptions) {
    if (option != single.name) continue;
    std::string& field = branding.*single.field;
    if (!field.empty()) return PackResult::Fail(option + " given twice");
    field = value;
    return PackResult::Ok();
  }
  const size_t equals = value.find('=');
  if (equals == std::string::npos || equals == 0) {
    return PackResult::Fail(option + " " + value + ": expected KEY=VALUE");
  }
  const std::string key = value.substr(0, equals);
  for (const auto& given : branding.versionStrings) {
    if (given.first == key) return PackResult::Fail(option + " " + value + ": " + key + " is already set");
  }
  branding.versionStrings.emplace_back(key, value.substr(equals + 1));
  return PackResult::Ok();
}

}  // namespace brennix::pack
