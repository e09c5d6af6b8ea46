// Our printf-style formatter: the conventions the log and the messages rely on.
#include "framework/Format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Case {
    std::wstring actual;
    std::wstring expected;
};

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

TEST(Format, TheProgramsConversions)
{
    const Case cases[] = {
        {FormatString(L"Temp folder '%s'\n", L"C:\\Temp\\"), L"Temp folder 'C:\\Temp\\'\n"},
        {FormatString(L"%s|%ls|%ws", L"a", L"b", L"c"), L"a|b|c"},
        {FormatString(L"[%s]", static_cast<const wchar_t*>(nullptr)), L"[(null)]"},
        {FormatString(L"%d %d %d", 0, -7, INT32_MIN), L"0 -7 -2147483648"},
        {FormatString(L"Started %ld\n", static_cast<int32_t>(2497820)), L"Started 2497820\n"},
        {FormatString(L"%ld", INT32_MAX), L"2147483647"},
        {FormatString(L"%u", 0xFFFFFFFFu), L"4294967295"},
        {FormatString(L"%I64d|%I64d", static_cast<int64_t>(-5), INT64_MIN), L"-5|-9223372036854775808"},
        {FormatString(L"%I64d MB", static_cast<int64_t>(123456789012)), L"123456789012 MB"},
        {FormatString(L"%I64u|%lld", UINT64_MAX, static_cast<long long>(-1)), L"18446744073709551615|-1"},
        {FormatString(L"%x|%X", 0x80030057u, 0xabcdefu), L"80030057|ABCDEF"},
        {FormatString(L"Certificate error %0x\n", 0x800B0100u), L"Certificate error 800b0100\n"},
        {FormatString(L"%0x", 0x1Fu), L"1f"},
        {FormatString(L"0x%08x", 0x57u), L"0x00000057"},
        {FormatString(L"0x%08x", 0x80030057u), L"0x80030057"},
        {FormatString(L"%x", static_cast<uint32_t>(-1)), L"ffffffff"},
        {FormatString(L"%#x|%#X|%#x", 255u, 255u, 0u), L"0xff|0XFF|0"},
        {FormatString(L"%#010x", 255u), L"0x000000ff"},
        {FormatString(L"%.1f GB", 1.25), L"1.2 GB"},  // exactly half: to even, as the binary value is exact
        {FormatString(L"%.1f|%.1f|%.1f", 0.15, 0.05, 2.96), L"0.1|0.1|3.0"},  // 0.15 is 0.1499999...
        {FormatString(L"%.1f", -0.04), L"-0.0"},
        {FormatString(L"%f|%.0f|%.3f", 3.5, 2.5, 1e10), L"3.500000|2|10000000000.000"},
        {FormatString(L"%e|%g|%G", 1234.5, 0.0001, 1e20), L"1.234500e+03|0.0001|1E+20"},
        {FormatString(L"%%|100%%"), L"%|100%"},
        {FormatString(L"%5d|%-5d|%05d|%+d|% d", 42, 42, -42, 42, 42), L"   42|42   |-0042|+42| 42"},
        {FormatString(L"%*d|%-*d|%*d", 4, 7, 4, 7, -4, 7), L"   7|7   |7   "},
        {FormatString(L"%.3d|%08.3d|%.0d", 7, 7, 0), L"007|     007|"},
        {FormatString(L"%6s|%-6s|%.2s|%*.*s", L"ab", L"ab", L"abc", 4, 1, L"xyz"), L"    ab|ab    |ab|   x"},
        {FormatString(L"%c%c|%3c", L'O', L'K', L'x'), L"OK|  x"},
        {FormatString(L"%hs|%S|%.2hs", "narrow", "text", "abc"), L"narrow|text|ab"},
        {FormatString(L"%hd|%hu", 70000, 70000), L"4464|4464"},
        {FormatString(L"%p", reinterpret_cast<void*>(0xAB12)),
         std::wstring(sizeof(void*) * 2 - 4, L'0') + L"AB12"},
        {FormatString(L"no conversions"), L"no conversions"},
        {FormatString(L""), L""},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].actual, cases[i].expected) << "case " << i;
}

TEST(Format, UnknownConversionsAreCopiedAndTakeNoArgument)
{
    EXPECT_EQ(FormatString(L"%q %d", 5), L"%q 5");
    EXPECT_EQ(FormatString(L"%n%d", 6), L"%n6");
    EXPECT_EQ(FormatString(L"end %"), L"end %");
    EXPECT_EQ(FormatString(L"end %08"), L"end %08");
    EXPECT_EQ(FormatString(L"end %I6"), L"end %I6");
    EXPECT_EQ(FormatString(L"end %I64"), L"end %I64");
    EXPECT_EQ(FormatStringV(nullptr, nullptr), L"");
}

TEST(Format, AbsurdWidthsAreBounded)
{
    EXPECT_EQ(FormatString(L"%99999999999d", 1).size(), 1024u);
    EXPECT_EQ(FormatString(L"%.99999999999d", 1).size(), 1024u);
    EXPECT_EQ(FormatString(L"%*d", INT_MIN, 1).size(), 1024u);
    EXPECT_EQ(FormatString(L"%.*f", 5000, 1.0).size(), 1026u);
    EXPECT_EQ(FormatString(L"%.*d", -1, 0), L"0");  // a negative precision is none
}

// Integer conversions with every flag, width and precision agree with the C library, which
// follows the same rules for them.
TEST(Format, IntegerConversionsAgreeWithTheCLibrary)
{
    const wchar_t* flags[] = {L"", L"-", L"0", L"+", L" ", L"#", L"-0", L"+0", L"- "};
    const wchar_t* widths[] = {L"", L"1", L"6", L"12"};
    const wchar_t* precisions[] = {L"", L".0", L".1", L".4"};
    const wchar_t conversions[] = {L'd', L'u', L'x', L'X'};
    const int32_t values[] = {0, 1, -1, 42, -42, 0xabcdef, INT32_MIN, INT32_MAX};
    for (const wchar_t* flag : flags) {
        for (const wchar_t* width : widths) {
            for (const wchar_t* precision : precisions) {
                for (const wchar_t conversion : conversions) {
                    if (conversion == L'd' && std::wstring(flag).find(L'#') != std::wstring::npos)
                        continue;  // undefined in C
                    const std::wstring format = std::wstring(L"%") + flag + width + precision + conversion;
                    for (const int32_t value : values) {
                        wchar_t expected[64];
                        swprintf(expected, 64, format.c_str(), value);
                        EXPECT_EQ(FormatString(format.c_str(), value), expected) << Narrow(format) << " " << value;
                    }
                }
            }
        }
    }
}

TEST(Format, FixedPointAgreesWithTheCLibrary)
{
    const double values[] = {0.0, 0.05, 0.15, 0.25, 0.35, 1.005, 2.675, 99.95, 123456.789, 1e15 + 0.5, 4503599627370497.0,
                             -0.5, -1.25, 1e-7, 1e300};
    const wchar_t* formats[] = {L"%.0f", L"%.1f", L"%.2f", L"%f", L"%8.2f", L"%-8.1f|", L"%+.3f", L"%010.2f", L"%.15f"};
    for (const wchar_t* format : formats) {
        for (const double value : values) {
            std::vector<wchar_t> expected(512);
            swprintf(expected.data(), expected.size(), format, value);
            EXPECT_EQ(FormatString(format, value), expected.data()) << Narrow(format) << " " << value;
        }
    }
}

} // namespace
