// The Windows test build itself: GoogleTest runs under Wine and the framework's formatter
// gives the same text as natively.
#include "framework/Format.h"

#include <gtest/gtest.h>

TEST(WindowsBuild, FormatsWideStringsAndHexAsNatively)
{
    EXPECT_EQ(FormatString(L"%s 0x%08x %I64d", L"name", 0x800b0100u, static_cast<long long>(-5)), L"name 0x800b0100 -5");
}
