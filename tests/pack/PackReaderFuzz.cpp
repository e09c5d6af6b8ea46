// Fuzzes reading a stub: PE headers, resource directory and string blocks of arbitrary bytes
// must be refused or read, never crash; a tree that was read must lay out and read back alike.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "tools/pack/ImageLayout.h"
#include "tools/pack/PeImage.h"
#include "tools/pack/ResourceDirectoryReader.h"
#include "tools/pack/ResourceSectionBuilder.h"
#include "tools/pack/StringTable.h"

using namespace brennix::pack;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto source = std::make_shared<MemorySource>(std::vector<uint8_t>(data, data + size));
  StringBlock block;
  DecodeStringBlock(std::vector<uint8_t>(data, data + size), block);
  PeImage image;
  if (!ReadPeImage(*source, image)) return 0;
  ResourceTree tree;
  if (!ReadResourceDirectory(image, source, tree)) return 0;
  tree.SortForLoader();
  const ResourceSectionLayout layout = LayOutResourceSection(tree, 0x1000);
  ImageLayout planned;
  PlanImageLayout(image, layout.size, planned);
  for (ResourceEntry& entry : tree.entries()) {
    std::vector<uint8_t> bytes;
    if (entry.data.size <= 1u << 20 && ReadResourceBytes(entry.data, bytes)) {
      DecodeStringBlock(bytes, block);
    }
  }
  return 0;
}
