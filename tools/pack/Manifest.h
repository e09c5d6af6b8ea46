// The payload manifest, resource TOOLKIT 101: "*"-separated triples id*name*size telling the
// stub which resource becomes which file under its working folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/pack/PackResult.h"

namespace brennix::pack {

constexpr uint16_t kManifestId = 101;
constexpr uint16_t kFirstPayloadId = 102;

struct ManifestEntry {
  uint16_t id = 0;
  std::string name;  // UTF-8, subfolders separated by backslashes
  uint64_t size = 0;
};

// Checks that name can stand in the manifest as a relative file name: not empty, no "*" (the
// separator), no characters Windows forbids in names, nothing the stub's IsNameInsideFolder
// refuses (leading backslash, empty parts, parts of only dots and blanks, device names such as
// CON or LPT1.txt), and every character in Windows-1252 (the stub reads the manifest in the ANSI code
// page, which is 1252 on Western systems; ASCII reads the same everywhere).
PackResult CheckManifestName(const std::string& name);

// True for names containing only ASCII characters, which every ANSI code page reads the same.
bool IsAsciiName(const std::string& name);

// The manifest bytes for entries, in ascending id order, triples joined by "*" with no trailing
// separator. Fails on a name that CheckManifestName refuses.
PackResult BuildManifestText(std::vector<ManifestEntry> entries, std::vector<uint8_t>& text);

// Whether the stub would take name (UTF-8) for a program to launch: the lower-cased name holds
// ".exe" after its first character. False for malformed UTF-8.
bool IsLaunchCandidate(const std::string& name);

// The stub launches the candidate with the lowest id. Returns that entry's id, or nothing when
// no name qualifies.
std::optional<uint16_t> LaunchedEntryId(const std::vector<ManifestEntry>& entries);

}  // namespace brennix::pack
