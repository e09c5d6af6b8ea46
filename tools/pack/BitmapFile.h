// Bitmap files (.bmp) turned into the form a bitmap resource holds: the file header dropped, a
// plain BITMAPINFOHEADER followed by the pixel rows.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/pack/PackResult.h"

namespace brennix::pack {

struct BitmapPicture {
  int32_t width = 0;
  int32_t height = 0;      // rows; the file may store them top-down, which resource keeps
  uint16_t bitCount = 0;
  bool compressed = false;  // run-length or other encoded pixels
  std::vector<uint8_t> resource;  // the bitmap resource's bytes (only for uncompressed 24/32-bit)
};

// Reads the header of a .bmp file and, when its pixels are uncompressed 24- or 32-bit, the
// resource form. A 32-bit file whose channel masks are the plain B, G, R order counts as
// uncompressed. Fails, saying why, for a file that is not a Windows bitmap, has a header the
// loader does not read, or is shorter than its pixel rows.
PackResult DecodeBitmapFile(const std::vector<uint8_t>& file, BitmapPicture& picture);

}  // namespace brennix::pack
