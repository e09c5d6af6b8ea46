#include "tools/tag/PeImage.h"

namespace {

constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kChecksumFieldOffset = 64;  // inside the optional header, same for both kinds
constexpr size_t kSecurityDirectoryIndex = 4;
constexpr size_t kDataDirectoryEntrySize = 8;

uint16_t ReadLe16(const Bytes& bytes, size_t offset)
{
    return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

bool Fits(const Bytes& image, size_t offset, size_t size)
{
    return offset <= image.size() && size <= image.size() - offset;
}

} // namespace

uint32_t ReadLe32(const Bytes& bytes, size_t offset)
{
    return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<uint32_t>(bytes[offset + 2]) << 16) | (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

void WriteLe32(Bytes& bytes, size_t offset, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

bool ReadPeLayout(const Bytes& image, PeLayout& layout, std::string& error)
{
    error = "not a PE file: ";
    if (!Fits(image, 0, 0x40) || image[0] != 'M' || image[1] != 'Z') {
        error += "no MZ header";
        return false;
    }
    const size_t peOffset = ReadLe32(image, 0x3C);
    if (!Fits(image, peOffset, 4 + kCoffHeaderSize) || ReadLe32(image, peOffset) != kPeSignature) {
        error += "no PE signature";
        return false;
    }
    const size_t optionalOffset = peOffset + 4 + kCoffHeaderSize;
    const size_t optionalSize = ReadLe16(image, peOffset + 4 + 16);
    if (!Fits(image, optionalOffset, optionalSize) || optionalSize < 2) {
        error += "optional header outside the file";
        return false;
    }
    const uint16_t magic = ReadLe16(image, optionalOffset);
    if (magic != kPe32Magic && magic != kPe32PlusMagic) {
        error += "unknown optional header kind";
        return false;
    }
    const size_t directoryCountOffset = optionalOffset + (magic == kPe32Magic ? 92 : 108);
    const size_t directoriesOffset = directoryCountOffset + 4;
    const size_t securityOffset = directoriesOffset + kSecurityDirectoryIndex * kDataDirectoryEntrySize;
    if (securityOffset + kDataDirectoryEntrySize > optionalOffset + optionalSize ||
        ReadLe32(image, directoryCountOffset) <= kSecurityDirectoryIndex) {
        error += "no security directory in the optional header";
        return false;
    }
    layout.checksumOffset = optionalOffset + kChecksumFieldOffset;
    layout.securityDirectoryOffset = securityOffset;
    layout.certificateTableOffset = ReadLe32(image, securityOffset);
    layout.certificateTableSize = ReadLe32(image, securityOffset + 4);
    if (layout.certificateTableSize != 0 &&
        !Fits(image, layout.certificateTableOffset, layout.certificateTableSize)) {
        error = "the certificate table lies outside the file";
        return false;
    }
    error.clear();
    return true;
}

uint32_t ComputePeChecksum(const Bytes& image, size_t checksumOffset)
{
    // The field itself counts as zero, wherever it lies.
    auto byteAt = [&](size_t offset) -> uint32_t {
        if (offset >= image.size() || (offset >= checksumOffset && offset < checksumOffset + 4))
            return 0;
        return image[offset];
    };
    uint64_t sum = 0;
    for (size_t offset = 0; offset < image.size(); offset += 2) {
        sum += byteAt(offset) | (byteAt(offset + 1) << 8);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + image.size());
}
