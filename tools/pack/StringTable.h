// String-table blocks: resource RT_STRING block n holds the 16 counted UTF-16 strings with ids
// (n-1)*16 to (n-1)*16+15, each a 16-bit length followed by that many code units.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/pack/PackResult.h"

namespace brennix::pack {

constexpr uint32_t kStringsPerBlock = 16;

inline uint16_t StringBlockId(uint16_t stringId) { return static_cast<uint16_t>(stringId / kStringsPerBlock + 1); }
inline size_t StringIndexInBlock(uint16_t stringId) { return stringId % kStringsPerBlock; }

struct StringBlock {
  std::array<std::u16string, kStringsPerBlock> strings;
  bool IsEmpty() const;
};

// Decodes a block. Padding after the 16th string is allowed; fails when the bytes end inside it.
PackResult DecodeStringBlock(const std::vector<uint8_t>& bytes, StringBlock& block);

// The block's bytes: 16 counted strings, no padding.
std::vector<uint8_t> EncodeStringBlock(const StringBlock& block);

}  // namespace brennix::pack
