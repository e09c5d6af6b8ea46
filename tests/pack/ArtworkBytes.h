// Small icon and bitmap files built byte by byte for the packer's branding tests.
#pragma once

#include <cstdint>
#include <vector>

namespace brennix::pack::testing {

// A DIB icon image: 40-byte header (height doubled), palette for depths up to 8, colour rows
// filled with fill, and the mask.
std::vector<uint8_t> IconDib(int32_t side, uint16_t bitCount, uint8_t fill);

// PNG signature and header chunk of a side x side picture (enough for what the packer reads).
std::vector<uint8_t> PngStream(uint32_t side);

struct IcoEntry {
  uint8_t width;  // 0 for 256
  uint8_t height;
  uint16_t planes;
  uint16_t bitCount;
  std::vector<uint8_t> image;
};

// An .ico file: directory, entries, then the images in order.
std::vector<uint8_t> IcoFile(const std::vector<IcoEntry>& entries);

// A .bmp file: 14-byte file header, a headerSize-byte header (40, 108 or 124), the colour masks
// of BI_BITFIELDS where compression is 3, a palette for depths up to 8, then rows of fill.
std::vector<uint8_t> BmpFile(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression = 0,
                             uint32_t headerSize = 40, uint8_t fill = 0x5a);

}  // namespace brennix::pack::testing
