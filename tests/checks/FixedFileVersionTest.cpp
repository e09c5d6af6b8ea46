// The engine version rule over fixed version blocks as the platform hands them out.
#include "checks/FixedFileVersion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A fixed version block: signature, structure version, then the file version's two words.
std::vector<unsigned char> Block(uint32_t signature, uint16_t major, uint16_t minor, size_t size = 52)
{
    std::vector<unsigned char> block(size, 0);
    const uint32_t words[] = {signature, 0x00010000, static_cast<uint32_t>(major) << 16 | minor, 0x00020003};
    for (size_t i = 0; i < 4 && (i + 1) * 4 <= size; ++i)
        for (size_t b = 0; b < 4; ++b)
            block[i * 4 + b] = static_cast<unsigned char>(words[i] >> (8 * b));
    return block;
}

TEST(FixedFileVersion, EngineVersionRule)
{
    struct Case {
        uint32_t signature;
        uint16_t major, minor;
        size_t size;
        bool decoded;
        bool usable;
    };
    const Case cases[] = {
        {0xFEEF04BD, 2, 0, 52, true, true},
        {0xFEEF04BD, 1, 99, 52, true, false},
        {0xFEEF04BD, 5, 0, 52, true, true},
        {0xFEEF04BD, 0, 0, 52, true, false},
        {0xFEEF04BD, 65535, 65535, 52, true, true},
        {0xFEEF04BC, 5, 0, 52, false, false},  // a wrong signature gives no version
        {0xBD04EFFE, 5, 0, 52, false, false},
        {0xFEEF04BD, 5, 0, 12, true, true},    // just long enough for the version word
        {0xFEEF04BD, 5, 0, 11, false, false},
        {0xFEEF04BD, 5, 0, 0, false, false},
    };
    for (const Case& c : cases) {
        const std::vector<unsigned char> block = Block(c.signature, c.major, c.minor, c.size);
        int32_t major = -7;
        int32_t minor = -7;
        const bool decoded = DecodeFixedFileVersion(block.data(), block.size(), major, minor);
        EXPECT_EQ(decoded, c.decoded) << std::hex << c.signature << " size " << std::dec << c.size;
        if (decoded) {
            EXPECT_EQ(major, c.major);
            EXPECT_EQ(minor, c.minor);
        } else {
            EXPECT_EQ(major, -7);  // left as they were
            EXPECT_EQ(minor, -7);
        }
        EXPECT_EQ(decoded && IsMsiEngineVersionUsable(major), c.usable);
    }
}

TEST(FixedFileVersion, NoBlockGivesNoVersion)
{
    int32_t major = 3;
    int32_t minor = 4;
    EXPECT_FALSE(DecodeFixedFileVersion(nullptr, 52, major, minor));
    EXPECT_EQ(major, 3);
    EXPECT_EQ(minor, 4);
}

} // namespace
