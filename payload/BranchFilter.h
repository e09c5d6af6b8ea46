#pragma once
// The x86 branch filter: the 32-bit displacement after each E8 (call) and E9 (jump) byte turns
// from relative to absolute before compression, so calls to one target read the same wherever
// they stand, and back after decoding. Platform-free; the packer and the stub share it.
#include <cstddef>
#include <cstdint>

enum class BranchDirection { Encode, Decode };

// Filters one file, passed piece by piece from its start.
class X86BranchFilter {
public:
    explicit X86BranchFilter(BranchDirection direction) : m_direction(direction) {}

    // Converts the branches of `data` in place and returns how many bytes from its front are
    // done: every start index i with i + 5 <= size is examined. The bytes after that (at most
    // 4) must be passed again at the front of the next piece; after the file's last piece they
    // stay as they are. Only displacements within +-16 MiB are converted, into the same range
    // (a bijection on it). A branch that is not converted blocks conversions in its next three
    // bytes, so no later conversion changes bytes its decision looked at: decoding then sees
    // what encoding saw and makes the same decisions.
    size_t Convert(uint8_t* data, size_t size);

private:
    BranchDirection m_direction;
    uint64_t m_position = 0;      // of data[0] in the file
    uint64_t m_blockedUntil = 0;  // no conversion starts before this position
};
