// The resource directory: the exact bytes of a small one, the loader's order, and a round trip
// of a larger tree through a section.
#include <gtest/gtest.h>

#include <memory>

#include "tests/pack/PackTestSupport.h"
#include "tools/pack/LittleEndian.h"
#include "tools/pack/PeImage.h"
#include "tools/pack/ResourceDirectoryReader.h"
#include "tools/pack/ResourceSectionBuilder.h"

namespace brennix::pack::testing {
namespace {

ResourceEntry Entry(ResourceKey type, ResourceKey name, uint16_t language, const std::string& bytes) {
  return {std::move(type), std::move(name), language, 0, ResourceSource::FromBytes(Bytes(bytes))};
}

TEST(ResourceSection, SmallDirectoryHasTheDocumentedBytes) {
  ResourceTree tree;
  ASSERT_TRUE(tree.Add(Entry(kToolkitType, ResourceKey::Id(101), 1033, "abc")).ok());
  tree.SortForLoader();
  const ResourceSectionLayout layout = LayOutResourceSection(tree, 0x5000);
  // root (16+8), type table (16+8), name table (16+8), one data entry (16), "TOOLKIT" (2+14)
  const std::vector<uint32_t> words = {
      0, 0, 0, 0x00000001, 0x80000000 | 88, 0x80000000 | 24,  // root: one named type
      0, 0, 0, 0x00010000, 101, 0x80000000 | 48,             // type: id 101
      0, 0, 0, 0x00010000, 1033, 72,                         // name: language 1033 -> data entry
      0x5000 + 104, 3, 0, 0,                                 // data entry: RVA, size, code page
  };
  ASSERT_EQ(layout.directory.size(), 104u);
  for (size_t i = 0; i < words.size(); ++i) {
    EXPECT_EQ(ReadU32(&layout.directory[4 * i]), words[i]) << "word " << i;
  }
  EXPECT_EQ(ReadU16(&layout.directory[88]), 7);
  EXPECT_EQ(std::u16string(u"TOOLKIT"), std::u16string(reinterpret_cast<const char16_t*>(&layout.directory[90]), 7));
  EXPECT_EQ(layout.dataOffsets, std::vector<uint64_t>{104});
  EXPECT_EQ(layout.size, 112u);  // data padded to 8
}

TEST(ResourceSection, DataOfAPageOrMoreStartsOnAPage) {
  ResourceTree tree;
  ASSERT_TRUE(tree.Add(Entry(kToolkitType, ResourceKey::Id(101), 1033, "abc")).ok());
  ASSERT_TRUE(tree.Add(Entry(kToolkitType, ResourceKey::Id(102), 1033, std::string(4096, 'P'))).ok());
  ASSERT_TRUE(tree.Add(Entry(kToolkitType, ResourceKey::Id(103), 1033, "de")).ok());
  ASSERT_TRUE(tree.Add(Entry(kToolkitType, ResourceKey::Id(104), 1033, std::string(4095, 'Q'))).ok());
  tree.SortForLoader();
  const ResourceSectionLayout layout = LayOutResourceSection(tree, 0x5000);
  ASSERT_EQ(layout.dataOffsets.size(), 4u);
  const uint64_t first = layout.dataOffsets[0];
  EXPECT_EQ(first % 8, 0u);
  EXPECT_LT(first, 0x1000u);
  EXPECT_EQ(layout.dataOffsets[1], 0x1000u);          // a whole page: on the next page
  EXPECT_EQ(layout.dataOffsets[2], 0x2000u);          // small ones stay packed behind it
  EXPECT_EQ(layout.dataOffsets[3], 0x2008u);          // just under a page: 8-aligned
  EXPECT_EQ(layout.size, 0x2008u + 4096u);            // 4095 padded to 8
}

TEST(ResourceSection, LoaderOrderNamedFirstByCodeUnitThenIdsAscending) {
  const std::vector<ResourceKey> expected = {
      ResourceKey::Name(u"A"),     ResourceKey::Name(u"AB"),   ResourceKey::Name(u"B"),
      ResourceKey::Name(u"TOOLKIT"), ResourceKey::Name(u"_X"),  ResourceKey::Name(u"\u00c9"),
      ResourceKey::Id(1),          ResourceKey::Id(2),         ResourceKey::Id(24),
      ResourceKey::Id(65535),
  };
  for (size_t i = 0; i < expected.size(); ++i) {
    for (size_t j = 0; j < expected.size(); ++j) {
      EXPECT_EQ(LoaderPrecedes(expected[i], expected[j]), i < j) << expected[i].Describe() << " vs " << expected[j].Describe();
    }
  }
}

TEST(ResourceSection, TreeSurvivesARoundTripThroughAnImage) {
  ResourceTree tree;
  ASSERT_TRUE(tree.Add(Entry(ResourceKey::Id(24), ResourceKey::Id(1), 1033, "<manifest/>")).ok());
  ASSERT_TRUE(tree.Add(Entry(kToolkitType, ResourceKey::Id(102), 1033, "payload")).ok());
  ASSERT_TRUE(tree.Add(Entry(kToolkitType, ResourceKey::Name(u"README"), 1033, "read me")).ok());
  ASSERT_TRUE(tree.Add(Entry(ResourceKey::Id(6), ResourceKey::Id(1), 1031, "de")).ok());
  ASSERT_TRUE(tree.Add(Entry(ResourceKey::Id(6), ResourceKey::Id(1), 1033, "en")).ok());
  ASSERT_TRUE(tree.Add(Entry(ResourceKey::Name(u"BITMAPS"), ResourceKey::Name(u"LOGO"), 0, "")).ok());
  EXPECT_FALSE(tree.Add(Entry(ResourceKey::Id(6), ResourceKey::Id(1), 1033, "again")).ok());
  tree.SortForLoader();
  ScratchFolder scratch;
  SyntheticPeSpec spec = TypicalStubSpec(tree);
  WriteBytes(scratch / "image.exe", BuildSyntheticPe(spec));
  EXPECT_EQ(DescribeResources(scratch / "image.exe"), (std::vector<std::string>{
      "BITMAPS/LOGO/0=",
      "TOOLKIT/README/1033=read me",
      "TOOLKIT/102/1033=payload",
      "6/1/1031=de",
      "6/1/1033=en",
      "24/1/1033=<manifest/>",
  }));
}

TEST(ResourceSection, MalformedDirectoriesAreRefused) {
  ResourceTree tree;
  ASSERT_TRUE(tree.Add(Entry(kToolkitType, ResourceKey::Id(101), 1033, "abc")).ok());
  tree.SortForLoader();
  const std::vector<uint8_t> good = BuildSyntheticPe(TypicalStubSpec(tree));
  MemorySource goodSource(good);
  PeImage image;
  ASSERT_TRUE(ReadPeImage(goodSource, image).ok());
  const uint32_t root = image.sections[3].pointerToRawData;
  struct Case {
    const char* what;
    uint32_t offset;  // from the directory root
    uint32_t value;
    const char* message;
  };
  const Case cases[] = {
      {"type table points at the root", 20, 0x80000000, "refers to a table twice"},
      {"type table beyond the section", 20, 0x80100000, "outside its section"},
      {"name string beyond the section", 16, 0x80100000, "outside its section"},
      {"data entry where a table must be", 20, 24, "not three levels deep"},
      {"data outside the sections", 72, 0x00F00000, "outside the file's sections"},
      {"huge entry count", 12, 0xFFFFFFFF, "oversized table"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bad = good;
    WriteU32(&bad[root + c.offset], c.value);
    auto source = std::make_shared<MemorySource>(bad);
    PeImage badImage;
    ASSERT_TRUE(ReadPeImage(*source, badImage).ok());
    ResourceTree read;
    const PackResult result = ReadResourceDirectory(badImage, source, read);
    ASSERT_FALSE(result.ok());
    EXPECT_NE(result.message().find(c.message), std::string::npos) << result.message();
  }
}

}  // namespace
}  // namespace brennix::pack::testing
