#include "tools/pack/Manifest.h"

#include <algorithm>

#include "payload/ProgramFile.h"
#include "payload/RelativeName.h"
#include "tools/pack/TextEncoding.h"

namespace brennix::pack {

namespace {

constexpr char32_t kForbiddenInNames[] = {U'*', U'<', U'>', U':', U'"', U'/', U'|', U'?'};

}  // namespace

PackResult CheckManifestName(const std::string& name) {
  const std::string quoted = "file name \"" + name + "\"";
  std::u32string codePoints;
  if (!DecodeUtf8(name, codePoints)) return PackResult::Fail(quoted + " is not valid UTF-8");
  if (codePoints.empty()) return PackResult::Fail("empty file name");
  for (char32_t c : codePoints) {
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return PackResult::Fail(quoted + " contains a control character");
    if (std::find(std::begin(kForbiddenInNames), std::end(kForbiddenInNames), c) != std::end(kForbiddenInNames)) {
      return PackResult::Fail(quoted + " contains '" + std::string(1, static_cast<char>(c)) +
                              "', which a Windows file name (or the manifest) cannot hold");
    }
  }
  std::string encoded;
  char32_t unencodable = 0;
  if (!EncodeWindows1252(codePoints, encoded, unencodable)) {
    return PackResult::Fail(quoted + " contains " + DescribeCodePoint(unencodable) +
                            ", which the manifest's code page (Windows-1252) cannot hold");
  }
  // The stub's own rule, on the name as the stub will read it.
  if (!IsNameInsideFolder(ToWide(codePoints))) {
    return PackResult::Fail(quoted +
                            " must be relative and stay inside the working folder: no empty parts, no parts of"
                            " only dots and blanks, no device names (CON, NUL, COM1, ...)");
  }
  return PackResult::Ok();
}

bool IsAsciiName(const std::string& name) {
  return std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

PackResult BuildManifestText(std::vector<ManifestEntry> entries, std::vector<uint8_t>& text) {
  std::sort(entries.begin(), entries.end(),
            [](const ManifestEntry& a, const ManifestEntry& b) { return a.id < b.id; });
  std::string manifest;
  for (const ManifestEntry& entry : entries) {
    if (PackResult result = CheckManifestName(entry.name); !result) return result;
    std::u32string codePoints;
    std::string encodedName;
    char32_t unencodable = 0;
    DecodeUtf8(entry.name, codePoints);
    EncodeWindows1252(codePoints, encodedName, unencodable);
    if (!manifest.empty()) manifest += '*';
    manifest += std::to_string(entry.id) + '*' + encodedName + '*' + std::to_string(entry.size);
  }
  text.assign(manifest.begin(), manifest.end());
  return PackResult::Ok();
}

bool IsLaunchCandidate(const std::string& name) {
  // The stub's own rule, on the name as the stub will read it.
  std::u32string codePoints;
  if (!DecodeUtf8(name, codePoints)) return false;
  CResource resource(0, L"TOOLKIT", nullptr);
  resource.m_strFileName = ToWide(codePoints);
  return IsProgramFile(resource);
}

std::optional<uint16_t> LaunchedEntryId(const std::vector<ManifestEntry>& entries) {
  std::optional<uint16_t> launched;
  for (const ManifestEntry& entry : entries) {
    if (IsLaunchCandidate(entry.name) && (!launched || entry.id < *launched)) launched = entry.id;
  }
  return launched;
}

}  // namespace brennix::pack
