// Lays out a resource section: the three-level directory, the data entries, the name strings,
// then every resource's bytes, each aligned to 8, or to a page when it is a page or longer.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/pack/ResourceTree.h"

namespace brennix::pack {

struct ResourceSectionLayout {
  std::vector<uint8_t> directory;     // written at the start of the section
  std::vector<uint64_t> dataOffsets;  // per entry of the sorted tree, from the section start
  uint64_t size = 0;                  // directory plus data, before file alignment
};

// Lays out the entries of tree, which must be sorted with SortForLoader, for a section at
// sectionRva. The layout's size does not depend on sectionRva. Data offsets that would not fit
// the 32-bit fields are left to the caller's size limit, which is far below them.
ResourceSectionLayout LayOutResourceSection(const ResourceTree& tree, uint32_t sectionRva);

}  // namespace brennix::pack
