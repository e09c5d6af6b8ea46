// Where the stub finds an information block in a setup file: crafted file images around the
// edges of the scan window.
#include "payload/EmbeddedInformationScan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace Embedded = EmbeddedInformation;
using Bytes = std::vector<uint8_t>;

namespace {

// A file of `size` bytes of filler ('.') with each text placed at its distance from the end.
struct Placement {
    size_t bytesBeforeEnd;  // the text starts this many bytes before the end of the file
    std::string text;
};

Bytes MakeFile(size_t size, const std::vector<Placement>& placements)
{
    Bytes file(size, '.');
    for (const Placement& placement : placements)
        std::memcpy(file.data() + size - placement.bytesBeforeEnd, placement.text.data(), placement.text.size());
    return file;
}

// The bytes the stub would copy, or "<none>"/"<empty>" when it copies nothing.
std::string Scan(const Bytes& file)
{
    const Embedded::ScanResult result = Embedded::ScanFileImage(file.data(), file.size());
    switch (result.outcome) {
    case Embedded::ScanOutcome::NoMarker:
        return "<none>";
    case Embedded::ScanOutcome::EmptyData:
        return "<empty>";
    case Embedded::ScanOutcome::Found:
        break;
    }
    const uint8_t* data = file.data() + (file.size() - Embedded::kWindowOffsetFromEnd) + result.dataIndex;
    return std::string(reinterpret_cast<const char*>(data), result.dataSize);
}

const std::string kHundred = std::string(50, 'a') + std::string(50, 'b');

struct ScanCase {
    const char* name;
    size_t fileSize;
    std::vector<Placement> placements;
    std::string expected;
};

class ScanCases : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanCases, CopiesWhatTheBlockHolds)
{
    const ScanCase& scanCase = GetParam();
    EXPECT_EQ(Scan(MakeFile(scanCase.fileSize, scanCase.placements)), scanCase.expected);
}

const size_t kFile = 20000;

INSTANTIATE_TEST_SUITE_P(
    Offsets, ScanCases,
    ::testing::Values(
        ScanCase{"NoMarker", kFile, {}, "<none>"},
        // "MRDC" + 100 bytes, then exactly the 6-byte tail.
        ScanCase{"SixBytesAfterBlock", kFile, {{110, "MRDC" + kHundred + "TTTTTT"}}, kHundred},
        // 16 bytes after the block: the data runs on for 10 of them, the tail stays out.
        ScanCase{"SixteenBytesAfterBlock", kFile, {{120, "MRDC" + kHundred + "0123456789TTTTTT"}},
                 kHundred + "0123456789"},
        ScanCase{"TwoMarkersLaterWins", kFile, {{300, "MRDCfirst"}, {20, "MRDCsecond"}}, "second" + std::string(4, '.')},
        // A marker 10 to 6 bytes before the end leaves nothing, even with an earlier block.
        ScanCase{"MarkerTenBeforeEnd", kFile, {{200, "MRDCearlier"}, {10, "MRDC"}}, "<empty>"},
        ScanCase{"MarkerEightBeforeEnd", kFile, {{200, "MRDCearlier"}, {8, "MRDC"}}, "<empty>"},
        ScanCase{"MarkerSixBeforeEnd", kFile, {{200, "MRDCearlier"}, {6, "MRDC"}}, "<empty>"},
        // Eleven before the end: one byte of data.
        ScanCase{"MarkerElevenBeforeEnd", kFile, {{11, "MRDCx"}}, "x"},
        // 5 or fewer before the end: not seen, the earlier block is used.
        ScanCase{"MarkerFiveBeforeEnd", kFile, {{20, "MRDCearlier"}, {5, "MRDC"}}, "earlier..."},
        ScanCase{"MarkerFourBeforeEnd", kFile, {{20, "MRDCearlier"}, {4, "MRDC"}}, "earlier..."},
        // Index 0 of the window (4117 before the end) is never tested; index 1 is, for 4106 bytes.
        ScanCase{"MarkerAtWindowIndexZero", kFile, {{4117, "MRDC"}}, "<none>"},
        ScanCase{"MarkerAtWindowIndexOne", kFile, {{4116, "MRDC"}}, std::string(4106, '.')},
        // Half a marker inside the window does not count.
        ScanCase{"MarkerStraddlingWindowStart", kFile, {{4119, "MRDC"}}, "<none>"},
        ScanCase{"FileOfWindowSize", 4116, {{4116, "MRDC"}, {50, "MRDCdata"}}, "<none>"},
        ScanCase{"FileOneLargerThanWindow", 4117, {{50, "MRDCdata"}}, "data" + std::string(36, '.')},
        ScanCase{"TinyFile", 3, {}, "<none>"}),
    [](const ::testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.name); });

TEST(EmbeddedScan, DataWithZeroBytesIsCopiedWhole)
{
    const std::string data("<a>\0b\0</a>", 10);
    EXPECT_EQ(Scan(MakeFile(kFile, {{20, "MRDC" + data + "TTTTTT"}})), data);
}

TEST(EmbeddedScan, ReportsWindowIndices)
{
    const Bytes file = MakeFile(kFile, {{110, "MRDC"}});
    const Embedded::ScanResult result = Embedded::ScanFileImage(file.data(), file.size());
    ASSERT_EQ(result.outcome, Embedded::ScanOutcome::Found);
    EXPECT_EQ(result.markerIndex, Embedded::kWindowOffsetFromEnd - 110);
    EXPECT_EQ(result.dataIndex, result.markerIndex + 4);
    EXPECT_EQ(result.dataSize, 4107 - result.markerIndex);
}

TEST(EmbeddedScan, WindowOfAnotherSizeIsNotSearched)
{
    const Bytes window(Embedded::kWindowSize - 1, 'M');
    EXPECT_EQ(Embedded::ScanWindow(window.data(), window.size()).outcome, Embedded::ScanOutcome::NoMarker);
    EXPECT_EQ(Embedded::ScanWindow(nullptr, Embedded::kWindowSize).outcome, Embedded::ScanOutcome::NoMarker);
}

} // namespace
