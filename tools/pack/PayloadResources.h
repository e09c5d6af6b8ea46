// Turns the payload options (--payload, --program, --file, --manifest-file, --no-manifest) into
// the TOOLKIT resources of the setup file, manifest included.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "tools/pack/PackOptions.h"
#include "tools/pack/PackResult.h"
#include "tools/pack/ResourceTree.h"

namespace brennix::pack {

struct PayloadSummary {
  size_t fileCount = 0;
  uint64_t byteCount = 0;
  std::optional<uint64_t> packedByteCount;  // the compressed stream's size, when compressed
  std::optional<std::string> launchedName;  // what the stub will start, when known
  std::optional<uint16_t> launchedId;
};

// When options define a payload, replaces the stub's TOOLKIT resources in tree by the payload
// files, the --file entries and the manifest, in language. Warns on warnings about names that
// only Windows-1252 systems read correctly. Fails on a missing or unreadable file, a duplicate
// id, more files than there are ids, a name the manifest cannot hold, or a --program that the
// stub would not launch because an explicit --file entry wins over it.
PackResult AddPayloadResources(const PackOptions& options, uint16_t language, ResourceTree& tree,
                               PayloadSummary& summary, std::ostream& warnings);

}  // namespace brennix::pack
