#pragma once
// Small PE files for the tagging tests: headers only, a body of filler, and for a signed one a
// certificate table whose entry holds a DER SEQUENCE standing in for the signature.
#include "tools/pack/LittleEndian.h"
#include "tools/pack/PeCheckSum.h"
#include "tools/tag/Tagging.h"

#include <cstring>

namespace PeTestImage {

inline uint32_t ReadLe32(const Bytes& bytes, size_t offset)
{
    return brennix::pack::ReadU32(bytes.data() + offset);
}

inline void WriteLe32(Bytes& bytes, size_t offset, uint32_t value)
{
    brennix::pack::WriteU32(bytes.data() + offset, value);
}

// The PE checksum of `image`, its CheckSum field counted as zero.
inline uint32_t Checksum(Bytes image, size_t checksumOffset)
{
    WriteLe32(image, checksumOffset, 0);
    brennix::pack::PeCheckSum sum;
    sum.Add(image.data(), image.size());
    return sum.Finish();
}

constexpr size_t kPeOffset = 0x80;
constexpr size_t kOptionalOffset = kPeOffset + 24;
constexpr size_t kChecksumOffset = kOptionalOffset + 64;
constexpr size_t kSecurityDirectoryOffset = kOptionalOffset + 96 + 4 * 8;
// A 64-bit file's data directories start 16 bytes later (8-byte image base, stack and heap sizes).
constexpr size_t kSecurityDirectoryOffset64 = kOptionalOffset + 112 + 4 * 8;

enum class Format { Pe32, Pe32Plus };
constexpr size_t kHeadersSize = 0x200;  // SizeOfHeaders: one file-alignment unit

inline void Put16(Bytes& bytes, size_t offset, uint16_t value)
{
    bytes[offset] = static_cast<uint8_t>(value);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

inline size_t SecurityDirectoryOffset(Format format)
{
    return format == Format::Pe32Plus ? kSecurityDirectoryOffset64 : kSecurityDirectoryOffset;
}

// An unsigned PE32 (i386) or PE32+ (x86-64) file of `size` bytes, or just the headers when that
// is less; CheckSum set when `withChecksum`.
inline Bytes Unsigned(size_t size, bool withChecksum = false, Format format = Format::Pe32)
{
    const bool is64 = format == Format::Pe32Plus;
    Bytes image(size > kHeadersSize ? size : kHeadersSize, 0xCC);
    std::memset(image.data(), 0, kHeadersSize);
    image[0] = 'M';
    image[1] = 'Z';
    WriteLe32(image, 0x3C, kPeOffset);
    std::memcpy(image.data() + kPeOffset, "PE\0\0", 4);
    Put16(image, kPeOffset + 4, is64 ? 0x8664 : 0x14C);       // x86-64 or i386
    Put16(image, kPeOffset + 4 + 16, is64 ? 240 : 224);       // SizeOfOptionalHeader
    Put16(image, kOptionalOffset, is64 ? 0x20B : 0x10B);      // PE32+ or PE32
    WriteLe32(image, kOptionalOffset + 32, 0x1000);   // SectionAlignment
    WriteLe32(image, kOptionalOffset + 36, 0x200);    // FileAlignment
    WriteLe32(image, kOptionalOffset + 60, kHeadersSize);
    WriteLe32(image, kOptionalOffset + (is64 ? 108 : 92), 16);  // NumberOfRvaAndSizes
    if (withChecksum)
        WriteLe32(image, kChecksumOffset, Checksum(image, kChecksumOffset));
    return image;
}

// A DER SEQUENCE of `contentSize` bytes with a two-byte length, as signatures have.
inline Bytes FakeSignature(size_t contentSize)
{
    Bytes der = {0x30, 0x82, static_cast<uint8_t>(contentSize >> 8), static_cast<uint8_t>(contentSize)};
    for (size_t i = 0; i < contentSize; ++i)
        der.push_back(static_cast<uint8_t>(i * 7 + 1));
    return der;
}

// `body` bytes of unsigned file, 8-byte aligned, then one certificate entry holding a signature of
// `signatureContent` content bytes, padded with zeros to 8 bytes as signing tools do.
inline Bytes Signed(size_t body, size_t signatureContent, bool withChecksum = true, Format format = Format::Pe32)
{
    Bytes image = Unsigned((body + 7) / 8 * 8, false, format);
    const size_t directory = SecurityDirectoryOffset(format);
    const size_t table = image.size();
    const Bytes der = FakeSignature(signatureContent);
    const size_t entryLength = (8 + der.size() + 7) / 8 * 8;
    image.resize(table + entryLength, 0);
    WriteLe32(image, table, static_cast<uint32_t>(entryLength));
    Put16(image, table + 4, 0x0200);  // revision 2
    Put16(image, table + 6, 0x0002);  // PKCS#7 signed data
    std::memcpy(image.data() + table + 8, der.data(), der.size());
    WriteLe32(image, directory, static_cast<uint32_t>(table));
    WriteLe32(image, directory + 4, static_cast<uint32_t>(entryLength));
    if (withChecksum)
        WriteLe32(image, kChecksumOffset, Checksum(image, kChecksumOffset));
    return image;
}

} // namespace PeTestImage
