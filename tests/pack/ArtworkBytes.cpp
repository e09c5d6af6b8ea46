#include "tests/pack/ArtworkBytes.h"

#include <cstdlib>

#include "tools/pack/LittleEndian.h"

namespace brennix::pack::testing {

namespace {

uint32_t Stride(int32_t width, uint16_t bitCount) { return (static_cast<uint32_t>(width) * bitCount + 31) / 32 * 4; }

std::vector<uint8_t> InfoHeader(uint32_t size, int32_t width, int32_t height, uint16_t bitCount, uint32_t compression) {
  std::vector<uint8_t> header;
  AppendU32(header, size);
  AppendU32(header, static_cast<uint32_t>(width));
  AppendU32(header, static_cast<uint32_t>(height));
  AppendU16(header, 1);
  AppendU16(header, bitCount);
  AppendU32(header, compression);
  AppendU32(header, 0);                       // size of the pixels: may be 0 for BI_RGB
  AppendU32(header, 2835);
  AppendU32(header, 2835);
  AppendU32(header, 0);
  AppendU32(header, 0);
  if (size > 40 && compression == 3) {
    for (uint32_t mask : {0x00ff0000u, 0x0000ff00u, 0x000000ffu, 0xff000000u}) AppendU32(header, mask);
  }
  header.resize(size, 0);
  return header;
}

}  // namespace

std::vector<uint8_t> IconDib(int32_t side, uint16_t bitCount, uint8_t fill) {
  std::vector<uint8_t> dib = InfoHeader(40, side, 2 * side, bitCount, 0);
  if (bitCount <= 8) dib.resize(dib.size() + (4u << bitCount), 0x11);
  dib.resize(dib.size() + Stride(side, bitCount) * side, fill);
  dib.resize(dib.size() + Stride(side, 1) * side, 0);
  return dib;
}

std::vector<uint8_t> PngStream(uint32_t side) {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (int i = 0; i < 2; ++i) {
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<uint8_t>(side >> shift));
  }
  png.insert(png.end(), {8, 6, 0, 0, 0, 0xde, 0xad, 0xbe, 0xef});
  return png;
}

std::vector<uint8_t> IcoFile(const std::vector<IcoEntry>& entries) {
  std::vector<uint8_t> file;
  AppendU16(file, 0);
  AppendU16(file, 1);
  AppendU16(file, static_cast<uint16_t>(entries.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
  for (const IcoEntry& entry : entries) {
    file.insert(file.end(), {entry.width, entry.height, 0, 0});
    AppendU16(file, entry.planes);
    AppendU16(file, entry.bitCount);
    AppendU32(file, static_cast<uint32_t>(entry.image.size()));
    AppendU32(file, offset);
    offset += static_cast<uint32_t>(entry.image.size());
  }
  for (const IcoEntry& entry : entries) file.insert(file.end(), entry.image.begin(), entry.image.end());
  return file;
}

std::vector<uint8_t> BmpFile(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression,
                             uint32_t headerSize, uint8_t fill) {
  std::vector<uint8_t> info = InfoHeader(headerSize, width, height, bitCount, compression);
  if (headerSize == 40 && compression == 3) {
    for (uint32_t mask : {0x00ff0000u, 0x0000ff00u, 0x000000ffu}) AppendU32(info, mask);
  }
  if (bitCount <= 8) info.resize(info.size() + (4u << bitCount), 0x22);
  const uint32_t pixels = Stride(width, bitCount) * static_cast<uint32_t>(std::abs(height));
  std::vector<uint8_t> file = {'B', 'M'};
  AppendU32(file, static_cast<uint32_t>(14 + info.size() + pixels));
  AppendU32(file, 0);
  AppendU32(file, static_cast<uint32_t>(14 + info.size()));
  file.insert(file.end(), info.begin(), info.end());
  for (uint32_t i = 0; i < pixels; ++i) file.push_back(static_cast<uint8_t>(fill + i));
  return file;
}

}  // namespace brennix::pack::testing
