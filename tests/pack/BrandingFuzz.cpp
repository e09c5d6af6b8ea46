// Fuzzes the branding inputs: icon files, bitmap files, version resources and argument files of
// arbitrary bytes must be refused or read, never crash; a version resource that was read must
// write back to bytes that read as the same tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/pack/ArgumentFile.h"
#include "tools/pack/BitmapFile.h"
#include "tools/pack/IconFile.h"
#include "tools/pack/VersionResource.h"

using namespace brennix::pack;

namespace {

bool SameTree(const VersionNode& a, const VersionNode& b) {
  if (a.key != b.key || a.isText != b.isText || a.binary != b.binary || a.text != b.text ||
      a.children.size() != b.children.size()) {
    return false;
  }
  for (size_t i = 0; i < a.children.size(); ++i) {
    if (!SameTree(a.children[i], b.children[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  std::vector<IconImage> images;
  if (DecodeIconFile(bytes, images)) {
    std::vector<uint16_t> ids(images.size(), 1);
    std::vector<uint16_t> read;
    if (!DecodeIconGroupIds(EncodeIconGroup(images, ids), read) || read != ids) std::abort();
  }
  BitmapPicture picture;
  DecodeBitmapFile(bytes, picture);
  SplitArgumentLines(std::string(bytes.begin(), bytes.end()));

  VersionNode root;
  if (!DecodeVersionResource(bytes, root)) return 0;
  VersionEdits edits;
  edits.setsNumber = true;
  edits.strings = {{u"CompanyName", u"Fuzz"}};
  ApplyVersionEdits(edits, root);
  std::vector<uint8_t> written;
  if (!EncodeVersionResource(root, written)) return 0;
  VersionNode again;
  if (!DecodeVersionResource(written, again) || !SameTree(root, again)) std::abort();
  return 0;
}
