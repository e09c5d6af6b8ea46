// The compressed payload: every payload file in one solid zstd stream (the "PACKED" resource)
// and, for each file, the record its own TOOLKIT resource holds instead of its bytes. The
// layout is payload/PackedFormat.h, which the stub reads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "tools/pack/ByteSource.h"
#include "tools/pack/PackResult.h"

namespace brennix::pack {

struct PackedInput {
  uint16_t id = 0;
  std::filesystem::path path;
  uint64_t size = 0;
};

struct PackedPayload {
  std::shared_ptr<TemporaryFileSource> stream;       // the PACKED resource
  std::map<uint16_t, std::vector<uint8_t>> records;  // by resource id
  uint64_t decodedSize = 0;
};

// Compresses inputs at level, in the order the stub extracts them (highest id first), with
// the x86 branch filter on files that begin with "MZ". Fails when a file cannot be read or
// does not have its size any more, when the encoder refuses, or when the stream cannot be
// written to its temporary file.
PackResult BuildPackedPayload(std::vector<PackedInput> inputs, int level, PackedPayload& payload);

}  // namespace brennix::pack
