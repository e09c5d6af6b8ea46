#pragma once
// The few places of a PE file that tagging touches: the checksum field, the security data
// directory and the certificate table it points at.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct PeLayout {
    size_t checksumOffset = 0;           // file offset of the optional header's CheckSum field
    size_t securityDirectoryOffset = 0;  // file offset of the security directory entry (offset, size)
    uint32_t certificateTableOffset = 0; // file offset of the certificate table (0 when unsigned)
    uint32_t certificateTableSize = 0;   // its size in bytes (0 when unsigned)
    bool IsSigned() const { return certificateTableSize != 0; }
};

// Reads the layout of the PE file in `image`. Returns false with a message in `error` when the
// bytes are not a PE file or its headers point outside the file.
bool ReadPeLayout(const Bytes& image, PeLayout& layout, std::string& error);

// The PE checksum of `image`, the CheckSum field at `checksumOffset` taken as zero.
uint32_t ComputePeChecksum(const Bytes& image, size_t checksumOffset);

uint32_t ReadLe32(const Bytes& bytes, size_t offset);
void WriteLe32(Bytes& bytes, size_t offset, uint32_t value);
