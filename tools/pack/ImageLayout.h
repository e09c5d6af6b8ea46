// Decides where everything goes in the packed file: which sections move, where the new
// resource section lies, and the header fields that follow from it.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/pack/PackResult.h"
#include "tools/pack/PeImage.h"

namespace brennix::pack {

// The largest SizeOfImage we write. The loader maps the whole image, resources included, into
// the 2 GiB user address space of a 32-bit process next to the system libraries; 1.5 GiB leaves
// them room. (The format itself would allow 4 GiB and the stub reads sizes as signed 32-bit.)
constexpr uint64_t kMaxImageSize = 0x60000000;

// Bytes copied unchanged from the stub file to the output.
struct CopyRange {
  uint64_t source = 0;
  uint64_t size = 0;
  uint64_t destination = 0;
};

struct ImageLayout {
  std::vector<uint8_t> headers;  // the output's headers, check sum still zero
  std::vector<CopyRange> copies;  // sections and tail kept from the stub, in output order
  uint32_t resourceRva = 0;
  uint64_t resourceFileOffset = 0;
  uint64_t resourceRawSize = 0;  // the section's size in the file, file-aligned
  uint64_t fileSize = 0;
  uint32_t checkSumOffset = 0;
  bool resourceSectionAppended = false;  // false: the stub's own resource section was rebuilt
};

// Plans the output for a resource section of resourceSize bytes. The stub's resource section is
// rebuilt where it stands when it starts the resource directory and everything after it may
// move (discardable sections that no base relocation, data directory or debug entry points
// into); otherwise a new section is appended and the old one stays. The certificate table is dropped. Fails when the image would
// exceed kMaxImageSize, when no section can be added because the section table is full, or
// when debug data lies in the file's tail, which must move.
PackResult PlanImageLayout(const PeImage& image, uint64_t resourceSize, ImageLayout& layout);

// Whether the stub's resource section can be rebuilt in place, with its index; for tests.
bool CanRebuildResourceSection(const PeImage& image, size_t& sectionIndex);

}  // namespace brennix::pack
