// Icon files: every image read as the file holds it, the group resource that names them, and
// every kind of file that is not a usable icon refused with its reason.
#include <gtest/gtest.h>

#include "tests/pack/ArtworkBytes.h"
#include "tools/pack/IconFile.h"
#include "tools/pack/LittleEndian.h"

namespace brennix::pack {
namespace {

using testing::IcoEntry;
using testing::IcoFile;
using testing::IconDib;
using testing::PngStream;

TEST(IconFile, ReadsDibAndPngImagesWithTheirHeadersDepth) {
  const std::vector<uint8_t> small = IconDib(16, 4, 0x12);
  const std::vector<uint8_t> medium = IconDib(32, 32, 0x34);
  const std::vector<uint8_t> large = PngStream(256);
  // Entries that leave planes and depth at 0, as some writers do.
  const std::vector<uint8_t> file = IcoFile({{16, 16, 0, 0, small}, {32, 32, 1, 32, medium}, {0, 0, 0, 0, large}});
  std::vector<IconImage> images;
  ASSERT_TRUE(DecodeIconFile(file, images).ok());
  ASSERT_EQ(images.size(), 3u);
  EXPECT_EQ(images[0].bytes, small);
  EXPECT_EQ(images[0].bitCount, 4);
  EXPECT_EQ(images[0].planes, 1);
  EXPECT_EQ(images[1].bytes, medium);
  EXPECT_EQ(images[1].bitCount, 32);
  EXPECT_EQ(images[2].bytes, large);
  EXPECT_EQ(images[2].width, 0);
  EXPECT_EQ(images[2].bitCount, 32);
}

TEST(IconFile, GroupNamesEachImageByIdWithItsDirectoryFields) {
  std::vector<IconImage> images(2);
  images[0] = {48, 48, 16, 1, 4, std::vector<uint8_t>(100, 1)};
  images[1] = {0, 0, 0, 1, 32, std::vector<uint8_t>(70000, 2)};
  const std::vector<uint8_t> group = EncodeIconGroup(images, {7, 300});
  const std::vector<uint8_t> expected = {0, 0, 1, 0, 2, 0,
                                         48, 48, 16, 0, 1, 0, 4, 0, 100, 0, 0, 0, 7, 0,
                                         0, 0, 0, 0, 1, 0, 32, 0, 0x70, 0x11, 1, 0, 0x2c, 1};
  EXPECT_EQ(group, expected);
  std::vector<uint16_t> ids;
  ASSERT_TRUE(DecodeIconGroupIds(group, ids).ok());
  EXPECT_EQ(ids, (std::vector<uint16_t>{7, 300}));
  EXPECT_FALSE(DecodeIconGroupIds(std::vector<uint8_t>(group.begin(), group.end() - 1), ids).ok());
}

TEST(IconFile, RefusesWhatIsNotAUsableIcon) {
  std::vector<uint8_t> cursor = IcoFile({{16, 16, 1, 4, IconDib(16, 4, 0)}});
  cursor[2] = 2;
  std::vector<uint8_t> outside = IcoFile({{16, 16, 1, 4, IconDib(16, 4, 0)}});
  WriteU32(&outside[6 + 12], 1000000);
  std::vector<uint8_t> compressed = IconDib(16, 8, 0);
  WriteU32(&compressed[16], 1);
  std::vector<uint8_t> shortDib = IconDib(32, 32, 0);
  shortDib.resize(shortDib.size() - 1);
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    const char* message;
  };
  const Case cases[] = {
      {"PNG renamed", PngStream(32), "it is a PNG picture"},
      {"empty", {}, "not an icon file"},
      {"text", {'h', 'e', 'l', 'l', 'o', '!', '!'}, "not an icon file"},
      {"cursor", cursor, "it is a cursor"},
      {"no images", {0, 0, 1, 0, 0, 0}, "not an icon file"},
      {"truncated directory", {0, 0, 1, 0, 2, 0, 16, 16}, "truncated"},
      {"image outside", outside, "image 1 (16x16) lies outside the file"},
      {"DIB of another size", IcoFile({{32, 32, 1, 4, IconDib(16, 4, 0)}}), "bitmap of another size"},
      {"PNG of another size", IcoFile({{48, 48, 1, 32, PngStream(32)}}), "PNG picture of another size"},
      {"compressed DIB", IcoFile({{16, 16, 1, 8, compressed}}), "unsupported bitmap format"},
      {"short DIB", IcoFile({{32, 32, 1, 32, shortDib}}), "shorter than its bitmap header says"},
      {"neither", IcoFile({{16, 16, 1, 32, std::vector<uint8_t>(64, 7)}}), "neither a PNG stream nor a bitmap"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<IconImage> images;
    const PackResult result = DecodeIconFile(c.file, images);
    ASSERT_FALSE(result.ok());
    EXPECT_NE(result.message().find(c.message), std::string::npos) << result.message();
  }
}

}  // namespace
}  // namespace brennix::pack
