#include "tools/pack/BitmapFile.h"

#include <cstddef>
#include <cstdlib>
#include <string>

#include "tools/pack/LittleEndian.h"

namespace brennix::pack {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kV4HeaderSize = 108;
constexpr uint32_t kV5HeaderSize = 124;
constexpr uint32_t kPlainRgb = 0;
constexpr uint32_t kBitFields = 3;
constexpr int32_t kMaxSide = 0x7fff;  // far beyond any dialog; keeps the size arithmetic small

// BI_BITFIELDS with these masks lays 32-bit pixels out exactly as BI_RGB does.
bool HasPlainMasks(const std::vector<uint8_t>& file, size_t masksAt) {
  if (masksAt + 12 > file.size()) return false;
  return ReadU32(&file[masksAt]) == 0x00ff0000 && ReadU32(&file[masksAt + 4]) == 0x0000ff00 &&
         ReadU32(&file[masksAt + 8]) == 0x000000ff;
}

}  // namespace

PackResult DecodeBitmapFile(const std::vector<uint8_t>& file, BitmapPicture& picture) {
  picture = BitmapPicture();
  if (file.size() < kFileHeaderSize + 4 || file[0] != 'B' || file[1] != 'M') {
    return PackResult::Fail("not a bitmap file (.bmp)");
  }
  const uint32_t pixelsAt = ReadU32(&file[10]);
  const uint32_t headerSize = ReadU32(&file[kFileHeaderSize]);
  if (headerSize != kInfoHeaderSize && headerSize != kV4HeaderSize && headerSize != kV5HeaderSize) {
    return PackResult::Fail("not a Windows bitmap (its header has " + std::to_string(headerSize) + " bytes)");
  }
  if (file.size() < kFileHeaderSize + headerSize) return PackResult::Fail("the bitmap file is truncated");
  const uint8_t* header = &file[kFileHeaderSize];
  picture.width = static_cast<int32_t>(ReadU32(header + 4));
  picture.height = static_cast<int32_t>(ReadU32(header + 8));
  const uint16_t planes = ReadU16(header + 12);
  picture.bitCount = ReadU16(header + 14);
  const uint32_t compression = ReadU32(header + 16);
  if (picture.width <= 0 || picture.width > kMaxSide || picture.height == 0 || picture.height < -kMaxSide ||
      picture.height > kMaxSide || planes != 1) {
    return PackResult::Fail("the bitmap's header is malformed");
  }
  const bool truecolour = picture.bitCount == 24 || picture.bitCount == 32;
  // The masks follow a 40-byte header, and are the next fields of the larger ones: the same place.
  const size_t masksAt = kFileHeaderSize + kInfoHeaderSize;
  picture.compressed = !(compression == kPlainRgb ||
                         (compression == kBitFields && picture.bitCount == 32 && HasPlainMasks(file, masksAt)));
  if (!truecolour || picture.compressed) return PackResult::Ok();

  const uint64_t rows = static_cast<uint64_t>(std::llabs(picture.height));
  const uint64_t stride = (static_cast<uint64_t>(picture.width) * picture.bitCount + 31) / 32 * 4;
  const uint64_t pixelBytes = stride * rows;
  if (pixelsAt < kFileHeaderSize + headerSize || pixelsAt > file.size() || pixelBytes > file.size() - pixelsAt ||
      pixelBytes > 0xffffffffu) {
    return PackResult::Fail("the bitmap file is shorter than its pixel rows");
  }
  std::vector<uint8_t>& out = picture.resource;
  out.assign(header, header + kInfoHeaderSize);
  WriteU32(&out[0], kInfoHeaderSize);
  WriteU32(&out[16], kPlainRgb);
  WriteU32(&out[20], static_cast<uint32_t>(pixelBytes));
  WriteU32(&out[32], 0);  // no colour table: 24- and 32-bit pixels name their colours
  WriteU32(&out[36], 0);
  out.insert(out.end(), file.begin() + pixelsAt, file.begin() + pixelsAt + static_cast<std::ptrdiff_t>(pixelBytes));
  return PackResult::Ok();
}

}  // namespace brennix::pack
