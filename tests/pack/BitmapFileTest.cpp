// Bitmap files become bitmap resources: the file header dropped, the info header made plain,
// the pixel rows unchanged; other formats are reported for the packer to refuse.
#include <gtest/gtest.h>

#include "tests/pack/ArtworkBytes.h"
#include "tools/pack/BitmapFile.h"
#include "tools/pack/LittleEndian.h"

namespace brennix::pack {
namespace {

using testing::BmpFile;

TEST(BitmapFile, PlainFileLosesOnlyItsFileHeader) {
  for (int32_t height : {3, -3}) {  // bottom-up and top-down rows
    const std::vector<uint8_t> file = BmpFile(5, height, 24);
    BitmapPicture picture;
    ASSERT_TRUE(DecodeBitmapFile(file, picture).ok());
    EXPECT_EQ(picture.width, 5);
    EXPECT_EQ(picture.height, height);
    EXPECT_EQ(picture.bitCount, 24);
    EXPECT_FALSE(picture.compressed);
    std::vector<uint8_t> expected(file.begin() + 14, file.end());
    WriteU32(&expected[20], 16 * 3);  // the pixels' size, which the file left at 0
    EXPECT_EQ(picture.resource, expected);
  }
}

TEST(BitmapFile, LargerHeadersAndPlainMasksBecomeAPlainHeader) {
  for (uint32_t headerSize : {40u, 108u, 124u}) {
    SCOPED_TRACE(headerSize);
    const std::vector<uint8_t> file = BmpFile(3, 2, 32, 3, headerSize);
    BitmapPicture picture;
    ASSERT_TRUE(DecodeBitmapFile(file, picture).ok());
    ASSERT_FALSE(picture.compressed);
    ASSERT_EQ(picture.resource.size(), 40u + 24);
    EXPECT_EQ(ReadU32(&picture.resource[0]), 40u);
    EXPECT_EQ(ReadU32(&picture.resource[16]), 0u);  // BI_RGB
    EXPECT_EQ(ReadU32(&picture.resource[20]), 24u);
    EXPECT_TRUE(std::equal(picture.resource.begin() + 40, picture.resource.end(), file.end() - 24));
  }
}

TEST(BitmapFile, ReportsDepthAndCompressionForTheCallerToJudge) {
  struct Case {
    std::vector<uint8_t> file;
    uint16_t bitCount;
    bool compressed;
  };
  std::vector<uint8_t> otherMasks = BmpFile(4, 4, 32, 3);
  WriteU32(&otherMasks[14 + 40], 0x000000ff);  // red in the low byte
  const Case cases[] = {
      {BmpFile(4, 4, 8), 8, false},
      {BmpFile(4, 4, 4), 4, false},
      {BmpFile(4, 4, 16), 16, false},
      {BmpFile(4, 4, 8, 1), 8, true},  // RLE8
      {otherMasks, 32, true},
  };
  for (const Case& c : cases) {
    BitmapPicture picture;
    ASSERT_TRUE(DecodeBitmapFile(c.file, picture).ok());
    EXPECT_EQ(picture.bitCount, c.bitCount);
    EXPECT_EQ(picture.compressed, c.compressed);
    EXPECT_TRUE(picture.resource.empty());
  }
}

TEST(BitmapFile, RefusesWhatIsNotAWindowsBitmap) {
  std::vector<uint8_t> core = BmpFile(4, 4, 24);
  WriteU32(&core[14], 12);
  std::vector<uint8_t> shortRows = BmpFile(4, 4, 24);
  shortRows.pop_back();
  std::vector<uint8_t> zeroWidth = BmpFile(4, 4, 24);
  WriteU32(&zeroWidth[18], 0);
  std::vector<uint8_t> pixelsOutside = BmpFile(4, 4, 24);
  WriteU32(&pixelsOutside[10], 0xfffffff0);
  struct Case {
    std::vector<uint8_t> file;
    const char* message;
  };
  const Case cases[] = {
      {{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "not a bitmap file"},
      {{'B', 'M', 0, 0, 0, 0}, "not a bitmap file"},
      {core, "its header has 12 bytes"},
      {std::vector<uint8_t>(shortRows.begin(), shortRows.begin() + 40), "truncated"},
      {shortRows, "shorter than its pixel rows"},
      {pixelsOutside, "shorter than its pixel rows"},
      {zeroWidth, "malformed"},
  };
  for (const Case& c : cases) {
    BitmapPicture picture;
    const PackResult result = DecodeBitmapFile(c.file, picture);
    ASSERT_FALSE(result.ok()) << c.message;
    EXPECT_NE(result.message().find(c.message), std::string::npos) << result.message();
  }
}

}  // namespace
}  // namespace brennix::pack
