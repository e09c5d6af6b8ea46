#include "tools/pack/StringTable.h"

#include "tools/pack/LittleEndian.h"

namespace brennix::pack {

bool StringBlock::IsEmpty() const {
  for (const std::u16string& text : strings) {
    if (!text.empty()) return false;
  }
  return true;
}

PackResult DecodeStringBlock(const std::vector<uint8_t>& bytes, StringBlock& block) {
  size_t position = 0;
  for (std::u16string& text : block.strings) {
    if (bytes.size() - position < 2) return PackResult::Fail("a string-table block of the stub is truncated");
    const uint16_t length = ReadU16(&bytes[position]);
    position += 2;
    if ((bytes.size() - position) / 2 < length) {
      return PackResult::Fail("a string-table block of the stub is truncated");
    }
    text.resize(length);
    for (uint16_t i = 0; i < length; ++i) text[i] = static_cast<char16_t>(ReadU16(&bytes[position + 2u * i]));
    position += 2u * length;
  }
  return PackResult::Ok();
}

std::vector<uint8_t> EncodeStringBlock(const StringBlock& block) {
  std::vector<uint8_t> bytes;
  for (const std::u16string& text : block.strings) {
    AppendU16(bytes, static_cast<uint16_t>(text.size()));
    for (char16_t unit : text) AppendU16(bytes, static_cast<uint16_t>(unit));
  }
  return bytes;
}

}  // namespace brennix::pack
