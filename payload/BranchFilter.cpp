#include "payload/BranchFilter.h"

#include <cstring>

namespace {

constexpr size_t kBranchLength = 5;        // opcode and 32-bit displacement
constexpr uint32_t kHalfRange = 1u << 24;  // displacements in [-2^24, 2^24) are converted
constexpr uint32_t kRangeMask = (2 * kHalfRange) - 1;

bool InRange(uint32_t displacement)
{
    return displacement + kHalfRange <= kRangeMask;
}

// Wraps a value into [-2^24, 2^24), modulo 2^25.
uint32_t WrapIntoRange(uint32_t value)
{
    return ((value + kHalfRange) & kRangeMask) - kHalfRange;
}

uint32_t ReadLittleEndian32(const uint8_t* bytes)
{
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

void WriteLittleEndian32(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Whether any of the eight bytes at `bytes` is E8 or E9: a word-wide test, since most bytes are
// neither and this loop runs over every byte the stub writes.
bool HasBranchOpcode(const uint8_t* bytes)
{
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    const uint64_t differs = (word & (0xFE * kOnes)) ^ (0xE8 * kOnes);  // a zero byte where E8/E9 is
    return ((differs - kOnes) & ~differs & (0x80 * kOnes)) != 0;
}

} // namespace

size_t X86BranchFilter::Convert(uint8_t* data, size_t size)
{
    size_t i = 0;
    while (i + kBranchLength <= size) {
        if (i + 8 <= size && !HasBranchOpcode(data + i)) {
            i += 8;
            continue;
        }
        if ((data[i] & 0xFE) != 0xE8) {
            ++i;
            continue;
        }
        const uint64_t here = m_position + i;
        const uint32_t displacement = ReadLittleEndian32(data + i + 1);
        if (here < m_blockedUntil || !InRange(displacement)) {
            m_blockedUntil = here + kBranchLength - 1;
            ++i;
            continue;
        }
        const uint32_t next = static_cast<uint32_t>(here + kBranchLength);
        const uint32_t converted = m_direction == BranchDirection::Encode ? displacement + next : displacement - next;
        WriteLittleEndian32(data + i + 1, WrapIntoRange(converted));
        i += kBranchLength;
    }
    m_position += i;
    return i;
}
