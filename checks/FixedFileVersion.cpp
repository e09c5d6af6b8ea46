#include "checks/FixedFileVersion.h"

namespace {

constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
// The block starts with the signature and the structure version; the file version's most
// significant word follows.
constexpr size_t kSignatureOffset = 0;
constexpr size_t kFileVersionHighOffset = 8;

uint32_t ReadLittleEndian32(const unsigned char* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

} // namespace

bool DecodeFixedFileVersion(const void* data, size_t size, int32_t& major, int32_t& minor)
{
    if (data == nullptr || size < kFileVersionHighOffset + 4)
        return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (ReadLittleEndian32(bytes + kSignatureOffset) != kFixedInfoSignature)
        return false;
    const uint32_t versionHigh = ReadLittleEndian32(bytes + kFileVersionHighOffset);
    major = static_cast<int32_t>(versionHigh >> 16);
    minor = static_cast<int32_t>(versionHigh & 0xFFFF);
    return true;
}
