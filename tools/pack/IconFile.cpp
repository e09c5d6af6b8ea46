#include "tools/pack/IconFile.h"

#include <string>

#include "tools/pack/LittleEndian.h"

namespace brennix::pack {

namespace {

constexpr size_t kDirectorySize = 6;
constexpr size_t kFileEntrySize = 16;
constexpr size_t kGroupEntrySize = 14;
constexpr uint16_t kIconKind = 1;
constexpr uint16_t kCursorKind = 2;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

bool StartsWithPng(const uint8_t* data, size_t size) {
  if (size < sizeof kPngSignature) return false;
  for (size_t i = 0; i < sizeof kPngSignature; ++i) {
    if (data[i] != kPngSignature[i]) return false;
  }
  return true;
}

uint32_t ReadBigEndianU32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

uint32_t Dimension(uint8_t entryValue) { return entryValue == 0 ? 256 : entryValue; }

std::string ImageName(size_t index, const IconImage& image) {
  return "image " + std::to_string(index + 1) + " (" + std::to_string(Dimension(image.width)) + "x" +
         std::to_string(Dimension(image.height)) + ")";
}

// A PNG image: its header chunk must give the entry's size.
PackResult CheckPngImage(size_t index, const IconImage& image) {
  const std::vector<uint8_t>& png = image.bytes;
  if (png.size() < 24 || ReadBigEndianU32(&png[12]) != 0x49484452) {  // "IHDR"
    return PackResult::Fail(ImageName(index, image) + " is a truncated PNG stream");
  }
  if (ReadBigEndianU32(&png[16]) != Dimension(image.width) || ReadBigEndianU32(&png[20]) != Dimension(image.height)) {
    return PackResult::Fail(ImageName(index, image) + " holds a PNG picture of another size");
  }
  return PackResult::Ok();
}

// A DIB image: a 40-byte header, the entry's width, twice its height (colour rows and mask),
// one plane, a depth Windows draws, no compression, and enough bytes for palette, colours and mask.
PackResult CheckDibImage(size_t index, IconImage& image) {
  const std::vector<uint8_t>& dib = image.bytes;
  if (dib.size() < kInfoHeaderSize || ReadU32(&dib[0]) != kInfoHeaderSize) {
    return PackResult::Fail(ImageName(index, image) + " is neither a PNG stream nor a bitmap with a 40-byte header");
  }
  const int32_t width = static_cast<int32_t>(ReadU32(&dib[4]));
  const int32_t height = static_cast<int32_t>(ReadU32(&dib[8]));
  const uint16_t planes = ReadU16(&dib[12]);
  const uint16_t bitCount = ReadU16(&dib[14]);
  const uint32_t compression = ReadU32(&dib[16]);
  const uint32_t colorsUsed = ReadU32(&dib[32]);
  if (width != static_cast<int32_t>(Dimension(image.width)) || height != 2 * static_cast<int32_t>(Dimension(image.height))) {
    return PackResult::Fail(ImageName(index, image) + " holds a bitmap of another size");
  }
  const bool knownDepth = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
  if (planes != 1 || !knownDepth || compression != 0) {
    return PackResult::Fail(ImageName(index, image) + " has an unsupported bitmap format");
  }
  const uint64_t paletteEntries = bitCount <= 8 ? (colorsUsed != 0 ? colorsUsed : (1u << bitCount)) : colorsUsed;
  const uint64_t rows = Dimension(image.height);
  const uint64_t colourStride = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
  const uint64_t maskStride = (static_cast<uint64_t>(width) + 31) / 32 * 4;
  if (paletteEntries > 256 || kInfoHeaderSize + paletteEntries * 4 + (colourStride + maskStride) * rows > dib.size()) {
    return PackResult::Fail(ImageName(index, image) + " is shorter than its bitmap header says");
  }
  image.planes = planes;
  image.bitCount = bitCount;
  return PackResult::Ok();
}

}  // namespace

PackResult DecodeIconFile(const std::vector<uint8_t>& file, std::vector<IconImage>& images) {
  images.clear();
  if (StartsWithPng(file.data(), file.size())) {
    return PackResult::Fail("not an icon file: it is a PNG picture");
  }
  if (file.size() < kDirectorySize || ReadU16(&file[0]) != 0) return PackResult::Fail("not an icon file");
  const uint16_t kind = ReadU16(&file[2]);
  if (kind == kCursorKind) return PackResult::Fail("not an icon file: it is a cursor");
  const uint16_t count = ReadU16(&file[4]);
  if (kind != kIconKind || count == 0) return PackResult::Fail("not an icon file");
  if (file.size() < kDirectorySize + count * kFileEntrySize) return PackResult::Fail("not an icon file: it is truncated");

  for (size_t i = 0; i < count; ++i) {
    const uint8_t* entry = &file[kDirectorySize + i * kFileEntrySize];
    IconImage image;
    image.width = entry[0];
    image.height = entry[1];
    image.colorCount = entry[2];
    image.planes = ReadU16(entry + 4);
    image.bitCount = ReadU16(entry + 6);
    const uint32_t size = ReadU32(entry + 8);
    const uint32_t offset = ReadU32(entry + 12);
    if (size == 0 || offset > file.size() || size > file.size() - offset) {
      return PackResult::Fail(ImageName(i, image) + " lies outside the file");
    }
    image.bytes.assign(file.begin() + offset, file.begin() + offset + size);
    const PackResult checked = StartsWithPng(image.bytes.data(), image.bytes.size()) ? CheckPngImage(i, image)
                                                                                      : CheckDibImage(i, image);
    if (!checked) return checked;
    if (image.bitCount == 0) image.bitCount = 32;  // a PNG image whose entry leaves its depth open
    if (image.planes == 0) image.planes = 1;
    images.push_back(std::move(image));
  }
  return PackResult::Ok();
}

std::vector<uint8_t> EncodeIconGroup(const std::vector<IconImage>& images, const std::vector<uint16_t>& ids) {
  std::vector<uint8_t> group;
  AppendU16(group, 0);
  AppendU16(group, kIconKind);
  AppendU16(group, static_cast<uint16_t>(images.size()));
  for (size_t i = 0; i < images.size(); ++i) {
    const IconImage& image = images[i];
    group.push_back(image.width);
    group.push_back(image.height);
    group.push_back(image.colorCount);
    group.push_back(0);
    AppendU16(group, image.planes);
    AppendU16(group, image.bitCount);
    AppendU32(group, static_cast<uint32_t>(image.bytes.size()));
    AppendU16(group, ids[i]);
  }
  return group;
}

PackResult DecodeIconGroupIds(const std::vector<uint8_t>& group, std::vector<uint16_t>& ids) {
  ids.clear();
  if (group.size() < kDirectorySize) return PackResult::Fail("icon group is truncated");
  const uint16_t count = ReadU16(&group[4]);
  if (group.size() < kDirectorySize + count * kGroupEntrySize) return PackResult::Fail("icon group is truncated");
  for (size_t i = 0; i < count; ++i) ids.push_back(ReadU16(&group[kDirectorySize + i * kGroupEntrySize + 12]));
  return PackResult::Ok();
}

}  // namespace brennix::pack
