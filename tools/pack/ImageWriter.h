// Writes the packed file: the planned headers, the sections kept from the stub, the new resource
// section and the tail, streaming every large piece in chunks, and patches the check sum last.
#pragma once

#include <filesystem>

#include "tools/pack/ByteSource.h"
#include "tools/pack/ImageLayout.h"
#include "tools/pack/PackResult.h"
#include "tools/pack/ResourceSectionBuilder.h"
#include "tools/pack/ResourceTree.h"

namespace brennix::pack {

// Writes destination from stub, layout and the sorted tree laid out as resources. On failure
// (an unreadable input, a payload file that changed size, a write error) destination is not
// created or replaced.
PackResult WriteImage(const ByteSource& stub, const ImageLayout& layout, const ResourceTree& tree,
                      const ResourceSectionLayout& resources, const std::filesystem::path& destination);

}  // namespace brennix::pack
