#pragma once
// The file version in a file's fixed version information, and the engine version rule.
#include <cstddef>
#include <cstdint>

// Reads the most significant file-version word of a fixed version block (`data`, `size`
// bytes as the platform returns it): `major` gets its high 16 bits, `minor` its low 16 bits.
// False, with both left as they were, when the block is too short to hold the word or its
// signature is not 0xFEEF04BD.
bool DecodeFixedFileVersion(const void* data, size_t size, int32_t& major, int32_t& minor);

// The Windows Installer engine must be version 2 or later; the minor number does not count.
inline bool IsMsiEngineVersionUsable(int32_t major)
{
    return major >= 2;
}
