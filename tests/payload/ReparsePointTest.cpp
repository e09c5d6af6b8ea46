// Only name-surrogate reparse points are links; the others are files with data of their own.
#include "payload/ReparsePoint.h"

#include <gtest/gtest.h>

namespace {

TEST(IsLinkEntry, OnlyNameSurrogatesAndUnknownTagsAreLinks)
{
    constexpr uint32_t kReparse = 0x400, kDirectory = 0x10, kOffline = 0x1000, kRecallOnOpen = 0x40000;
    const struct {
        const char* what;
        uint32_t attributes;
        uint32_t tag;
        bool isLink;
    } cases[] = {
        {"plain file", 0x20, 0, false},
        {"plain folder", kDirectory, 0, false},
        {"junction", kDirectory | kReparse, 0xA0000003, true},
        {"symbolic link to a folder", kDirectory | kReparse, 0xA000000C, true},
        {"symbolic link to a file", kReparse, 0xA000000C, true},
        {"reparse point of unknown tag", kReparse, 0, true},
        {"cloud-file placeholder", kReparse | kOffline | kRecallOnOpen, 0x9000001A, false},
        {"cloud-file folder", kDirectory | kReparse, 0x9000101A, false},
        {"deduplicated file", kReparse, 0x80000013, false},
        {"compressed on disk (WOF)", kReparse, 0x80000017, false},
        {"a tag without the attribute", 0x20, 0xA000000C, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsLinkEntry(c.attributes, c.tag), c.isLink) << c.what;
}

} // namespace
