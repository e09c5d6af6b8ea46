// The manifest text: its fields, its numbers and the triples it makes.
#include "payload/Manifest.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

std::vector<std::wstring> Fields(const std::wstring& text)
{
    ManifestTokenizer tokenizer(text);
    std::vector<std::wstring> fields;
    for (std::wstring field = tokenizer.NextField(); !field.empty(); field = tokenizer.NextField())
        fields.push_back(field);
    return fields;
}

struct TokenizerCase {
    const wchar_t* text;
    std::vector<std::wstring> fields;
};

TEST(ManifestTokenizer, SplitsAtRunsOfStarsAndNeverGivesAnEmptyField)
{
    const TokenizerCase cases[] = {
        {L"", {}},
        {L"*", {}},
        {L"***", {}},
        {L"102*data.bin*7", {L"102", L"data.bin", L"7"}},
        {L"*102*data.bin*7", {L"102", L"data.bin", L"7"}},
        {L"***102**data.bin***7*", {L"102", L"data.bin", L"7"}},
        {L"a b*\tc", {L"a b", L"\tc"}},
        {L"sub\\file.txt", {L"sub\\file.txt"}},
    };
    for (const TokenizerCase& c : cases)
        EXPECT_EQ(Fields(c.text), c.fields) << "text: " << testing::PrintToString(std::wstring(c.text));
}

TEST(ManifestTokenizer, KeepsGivingEmptyOnceUsedUp)
{
    const std::wstring text = L"1*";
    ManifestTokenizer tokenizer(text);
    EXPECT_EQ(tokenizer.NextField(), L"1");
    EXPECT_EQ(tokenizer.NextField(), L"");
    EXPECT_EQ(tokenizer.NextField(), L"");
}

struct NumberCase {
    const wchar_t* field;
    int32_t value;
};

TEST(ManifestNumber, ReadsAsTheRuntimesDecimalConversion)
{
    const NumberCase cases[] = {
        {L"0", 0},
        {L"7010540", 7010540},
        {L"  \t42", 42},
        {L"+17", 17},
        {L"-5", -5},
        {L"12abc", 12},
        {L"abc", 0},
        {L"", 0},
        {L"- 5", 0},
        {L"1 2", 1},
        {L"2147483647", INT32_MAX},
        {L"2147483648", INT32_MAX},
        {L"99999999999999999999999", INT32_MAX},
        {L"-2147483648", INT32_MIN},
        {L"-99999999999999999999999", INT32_MIN},
    };
    for (const NumberCase& c : cases)
        EXPECT_EQ(ParseManifestNumber(c.field), c.value) << "field: " << testing::PrintToString(std::wstring(c.field));
}

struct ParseCase {
    const char* what;
    const wchar_t* text;
    std::vector<CResourceFile> entries;
};

TEST(ParseManifest, MakesOneEntryPerTriple)
{
    const ParseCase cases[] = {
        {"plain triples", L"102*data.bin*7010540*107*Setup.exe*3",
         {{102, 7010540, L"data.bin"}, {107, 3, L"Setup.exe"}}},
        {"stars before and between read as one", L"**102***data.bin**7010540",
         {{102, 7010540, L"data.bin"}}},
        {"a text ending after an id drops that id", L"102*a*1*103", {{102, 1, L"a"}}},
        {"a text ending after a name keeps it with size 0", L"102*a*1*103*b", {{102, 1, L"a"}, {103, 0, L"b"}}},
        {"the last triple of an id wins, name and size", L"105*first*1*105*second*2", {{105, 2, L"second"}}},
        {"a size of letters reads as 0", L"102*a*big", {{102, 0, L"a"}}},
        {"a non-numeric id becomes 0", L"abc*a*1", {{0, 1, L"a"}}},
        {"names keep case and subfolders", L"110*Sub\\Dir\\File.DLL*9", {{110, 9, L"Sub\\Dir\\File.DLL"}}},
        {"empty text", L"", {}},
    };
    for (const ParseCase& c : cases) {
        ManifestMap map;
        EXPECT_EQ(ParseManifest(c.text, map), Result::Ok) << c.what;
        EXPECT_EQ(map.size(), c.entries.size()) << c.what;
        for (const CResourceFile& expected : c.entries) {
            const auto found = map.find(expected.m_nId);
            ASSERT_NE(found, map.end()) << c.what << ": id " << expected.m_nId;
            EXPECT_EQ(found->second.m_nId, expected.m_nId) << c.what;
            EXPECT_EQ(found->second.m_nSize, expected.m_nSize) << c.what;
            EXPECT_EQ(found->second.m_strFileName, expected.m_strFileName) << c.what;
        }
    }
}

} // namespace
