// brennix-tag's changes to a setup file, checked on small crafted PE files: where the tag goes,
// what stays, what the stub then finds, and what is refused.
#include "tools/tag/Tagging.h"

#include "payload/EmbeddedInformationScan.h"
#include "tests/tag/pe_test_image.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace Embedded = EmbeddedInformation;
using namespace PeTestImage;

namespace {

Bytes Text(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// What the stub would write to info.xml for this file, or "<none>".
std::string StubFinds(const Bytes& image)
{
    const Embedded::ScanResult found = Embedded::ScanFileImage(image.data(), image.size());
    if (found.outcome != Embedded::ScanOutcome::Found)
        return "<none>";
    const size_t start = image.size() - Embedded::kWindowOffsetFromEnd + found.dataIndex;
    return std::string(image.begin() + start, image.begin() + start + found.dataSize);
}

Bytes Prefix(const Bytes& bytes, size_t size)
{
    return Bytes(bytes.begin(), bytes.begin() + size);
}

TEST(TagUnsigned, AppendsMarkerDataAndTail)
{
    const Bytes original = Unsigned(9000);
    Bytes image = original;
    std::string error;
    ASSERT_TRUE(ApplyTag(image, Text("<info/>"), error)) << error;
    EXPECT_EQ(image.size(), original.size() + 4 + 7 + 6);
    EXPECT_EQ(Prefix(image, original.size()), original);
    EXPECT_EQ(std::string(image.begin() + original.size(), image.begin() + original.size() + 11), "MRDC<info/>");
    EXPECT_EQ(StubFinds(image), "<info/>");
}

TEST(TagUnsigned, ReplacesAnEarlierTagAndRemovesIt)
{
    for (Format format : {Format::Pe32, Format::Pe32Plus}) {
        SCOPED_TRACE(format == Format::Pe32Plus ? "PE32+" : "PE32");
        const Bytes original = Unsigned(9000, true, format);
        Bytes image = original;
        std::string error;
        ASSERT_TRUE(ApplyTag(image, Text(std::string(3000, 'x')), error)) << error;
        ASSERT_TRUE(ApplyTag(image, Text("second"), error)) << error;
        EXPECT_EQ(image.size(), original.size() + 4 + 6 + 6);
        EXPECT_EQ(StubFinds(image), "second");
        // The checksum follows the contents.
        EXPECT_EQ(ReadLe32(image, kChecksumOffset), Checksum(image, kChecksumOffset));

        bool removed = false;
        ASSERT_TRUE(RemoveTag(image, removed, error)) << error;
        EXPECT_TRUE(removed);
        EXPECT_EQ(image, original);
        ASSERT_TRUE(RemoveTag(image, removed, error)) << error;
        EXPECT_FALSE(removed);
        EXPECT_EQ(image, original);
    }
}

TEST(TagUnsigned, ChecksumLeftZeroWhenTheFileHadNone)
{
    Bytes image = Unsigned(9000);
    std::string error;
    ASSERT_TRUE(ApplyTag(image, Text("a"), error)) << error;
    EXPECT_EQ(ReadLe32(image, kChecksumOffset), 0u);
}

TEST(TagUnsigned, LargestDataFitsTheWindow)
{
    Bytes image = Unsigned(9000);
    const std::string data(Embedded::kMaxDataSize, 'q');
    std::string error;
    ASSERT_TRUE(ApplyTag(image, Text(data), error)) << error;
    EXPECT_EQ(StubFinds(image), data);
}

// The signature's bytes, the entry and the table sizes after tagging a signed file.
void ExpectSignedLayout(const Bytes& image, size_t table, const Bytes& signature, Format format = Format::Pe32)
{
    const size_t directory = SecurityDirectoryOffset(format);
    const uint32_t entryLength = ReadLe32(image, table);
    EXPECT_EQ(entryLength % 8, 0u);
    EXPECT_EQ(table + entryLength, image.size());
    EXPECT_EQ(ReadLe32(image, directory), table);
    EXPECT_EQ(ReadLe32(image, directory + 4), entryLength);
    EXPECT_EQ(Bytes(image.begin() + table + 8, image.begin() + table + 8 + signature.size()), signature);
    EXPECT_EQ(ReadLe32(image, kChecksumOffset), Checksum(image, kChecksumOffset));
}

class TagSigned : public ::testing::TestWithParam<std::tuple<Format, size_t>> {};

// Every data size modulo 8, so that every amount of padding is needed once; in a 32-bit and a
// 64-bit file.
TEST_P(TagSigned, PutsTheTagInsideTheCertificateTableAfterTheSignature)
{
    const Format format = std::get<0>(GetParam());
    const size_t directory = SecurityDirectoryOffset(format);
    const Bytes original = Signed(9000, 1501, true, format);
    const size_t table = ReadLe32(original, directory);
    const Bytes signature = FakeSignature(1501);
    const std::string data(std::get<1>(GetParam()), 'd');
    Bytes image = original;
    std::string error;
    ASSERT_TRUE(ApplyTag(image, Text(data), error)) << error;

    // Everything the signature's hash covers is unchanged but the checksum and the table's size.
    for (size_t i = 0; i < table; ++i) {
        if ((i >= kChecksumOffset && i < kChecksumOffset + 4) ||
            (i >= directory + 4 && i < directory + 8))
            continue;
        ASSERT_EQ(image[i], original[i]) << "byte " << i;
    }
    ExpectSignedLayout(image, table, signature, format);
    // Padding, all zero, goes between the signature and the marker.
    const size_t marker = image.size() - 6 - data.size() - 4;
    for (size_t i = table + 8 + signature.size(); i < marker; ++i)
        ASSERT_EQ(image[i], 0) << "padding byte " << i;
    EXPECT_LT(marker - (table + 8 + signature.size()), 8u);
    EXPECT_EQ(StubFinds(image), data);
}

INSTANTIATE_TEST_SUITE_P(DataSizes, TagSigned,
                         ::testing::Combine(::testing::Values(Format::Pe32, Format::Pe32Plus),
                                            ::testing::Values(1, 2, 3, 4, 5, 6, 7, 8, 100, 4106)));

TEST(TagSignedFile, ReplaceAndRemoveRestoreTheSignedFile)
{
    const Bytes original = Signed(9000, 900);
    Bytes image = original;
    std::string error;
    ASSERT_TRUE(ApplyTag(image, Text("first tag, rather long"), error)) << error;
    ASSERT_TRUE(ApplyTag(image, Text("2nd"), error)) << error;
    EXPECT_EQ(StubFinds(image), "2nd");
    ExpectSignedLayout(image, ReadLe32(original, kSecurityDirectoryOffset), FakeSignature(900));

    bool removed = false;
    ASSERT_TRUE(RemoveTag(image, removed, error)) << error;
    EXPECT_TRUE(removed);
    EXPECT_EQ(image, original);
}

TEST(TagSignedFile, TagGoesIntoTheLastOfSeveralEntries)
{
    Bytes image = Signed(9000, 300);
    const size_t table = ReadLe32(image, kSecurityDirectoryOffset);
    const size_t first = ReadLe32(image, table);
    // A second entry after the first.
    const Bytes second = Signed(0, 50);
    const size_t secondTable = ReadLe32(second, kSecurityDirectoryOffset);
    image.insert(image.end(), second.begin() + secondTable, second.end());
    WriteLe32(image, kSecurityDirectoryOffset + 4, static_cast<uint32_t>(image.size() - table));
    std::string error;
    ASSERT_TRUE(ApplyTag(image, Text("data"), error)) << error;
    EXPECT_EQ(ReadLe32(image, table), first);
    EXPECT_EQ(ReadLe32(image, kSecurityDirectoryOffset + 4), image.size() - table);
    EXPECT_EQ(table + first + ReadLe32(image, table + first), image.size());
    EXPECT_EQ(StubFinds(image), "data");
}

struct RefusalCase {
    const char* name;
    Bytes image;
    Bytes info;
    const char* messagePart;
};

class Refusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusals, LeaveTheFileUntouched)
{
    const RefusalCase& c = GetParam();
    Bytes image = c.image;
    std::string error;
    EXPECT_FALSE(ApplyTag(image, c.info, error));
    EXPECT_NE(error.find(c.messagePart), std::string::npos) << error;
    EXPECT_EQ(image, c.image);
}

Bytes WithByte(Bytes image, size_t offset, uint8_t value)
{
    image[offset] = value;
    return image;
}

Bytes SignedWithTrailingBytes()
{
    Bytes image = Signed(9000, 500);
    image.resize(image.size() + 16, 0);
    return image;
}

Bytes SignedWithEntryLength(uint32_t length)
{
    Bytes image = Signed(9000, 500);
    WriteLe32(image, ReadLe32(image, kSecurityDirectoryOffset), length);
    return image;
}

Bytes SignedWithTableBeyondEnd()
{
    Bytes image = Signed(9000, 500);
    WriteLe32(image, kSecurityDirectoryOffset + 4, ReadLe32(image, kSecurityDirectoryOffset + 4) + 8);
    return image;
}

Bytes SignedWithoutDer()
{
    Bytes image = Signed(9000, 500);
    return WithByte(image, ReadLe32(image, kSecurityDirectoryOffset) + 8, 0x31);
}

Bytes SignedWithOverlongDer()
{
    Bytes image = Signed(9000, 500);
    return WithByte(image, ReadLe32(image, kSecurityDirectoryOffset) + 10, 0x7F);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refusals,
    ::testing::Values(
        RefusalCase{"EmptyInfo", Unsigned(9000), Bytes{}, "empty"},
        RefusalCase{"InfoTooLong", Unsigned(9000), Bytes(4107, 'x'), "at most 4106"},
        RefusalCase{"InfoWithMarker", Unsigned(9000), Text("<a>MRDC</a>"), "\"MRDC\" at byte 3"},
        RefusalCase{"NotPe", Text(std::string(9000, 'x')), Text("a"), "not a PE file"},
        RefusalCase{"NoPeSignature", WithByte(Unsigned(9000), kPeOffset, 'X'), Text("a"), "not a PE file"},
        RefusalCase{"PeOffsetOutside", WithByte(Unsigned(9000), 0x3F, 0x7F), Text("a"), "not a PE file"},
        RefusalCase{"UnknownOptionalHeader", WithByte(Unsigned(9000), kOptionalOffset, 0x07), Text("a"),
                    "unknown magic"},
        RefusalCase{"TinyFile", Text("MZ"), Text("a"), "not a PE file"},
        RefusalCase{"TooSmallForTheStub", Unsigned(kHeadersSize), Text("a"), "larger than 4116"},
        RefusalCase{"TableNotAtEnd", SignedWithTrailingBytes(), Text("a"), "does not end at the end"},
        RefusalCase{"TableBeyondEnd", SignedWithTableBeyondEnd(), Text("a"), "passes the end of the file"},
        RefusalCase{"EntryLengthZero", SignedWithEntryLength(0), Text("a"), "malformed"},
        RefusalCase{"EntryLengthTooLong", SignedWithEntryLength(1 << 20), Text("a"), "malformed"},
        RefusalCase{"NoDerSequence", SignedWithoutDer(), Text("a"), "does not hold a signature"},
        RefusalCase{"DerLongerThanEntry", SignedWithOverlongDer(), Text("a"), "does not hold a signature"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST(TagRemove, RefusesWhatItCannotTag)
{
    Bytes image = Text(std::string(9000, 'x'));
    bool removed = true;
    std::string error;
    EXPECT_FALSE(RemoveTag(image, removed, error));
    EXPECT_NE(error.find("not a PE file"), std::string::npos);
}

} // namespace
