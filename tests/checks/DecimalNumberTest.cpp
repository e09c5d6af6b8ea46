// The number rule of the settings (and of the manifest), with the texts a build or a packer may
// leave in them.
#include "framework/DecimalNumber.h"

#include <gtest/gtest.h>

namespace {

struct NumberCase {
    const wchar_t* text;
    int32_t expected;
};

TEST(ParseDecimalNumber, FollowsTheDecimalRule)
{
    const NumberCase cases[] = {
        {L"0", 0},
        {L"100", 100},
        {L"-1", -1},
        {L"+7", 7},
        {L"  42", 42},
        {L"\t\r\n\v\f5", 5},
        {L"00", 0},
        {L"007", 7},
        {L"", 0},               // a missing entry
        {L"abc", 0},            // no digits
        {L"-", 0},
        {L"- 5", 0},            // the sign must touch the digits
        {L"+-5", 0},
        {L"12abc", 12},         // stops at the first non-digit
        {L"3.5", 3},
        {L"1 2", 1},
        {L"2147483647", 2147483647},
        {L"-2147483648", INT32_MIN},
        {L"2147483648", 2147483647},      // held at the ends, not wrapped
        {L"99999999999999999999", 2147483647},
        {L"-99999999999999999999", INT32_MIN},
    };
    for (const NumberCase& c : cases)
        EXPECT_EQ(ParseDecimalNumber(c.text), c.expected) << "text '" << testing::PrintToString(std::wstring(c.text)) << "'";
}

} // namespace
