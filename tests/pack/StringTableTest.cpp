// String-table blocks and the --set/--unset edits made to them.
#include <gtest/gtest.h>

#include "tests/pack/PackTestSupport.h"
#include "tools/pack/StringTable.h"
#include "tools/pack/StringTableEditor.h"

namespace brennix::pack::testing {
namespace {

std::vector<uint8_t> BlockBytes(std::initializer_list<std::pair<size_t, std::u16string>> strings) {
  StringBlock block;
  for (const auto& [index, text] : strings) block.strings[index] = text;
  return EncodeStringBlock(block);
}

StringBlock ReadBlock(ResourceTree& tree, uint16_t blockId, uint16_t language) {
  for (ResourceEntry* entry : tree.Find(kStringType, ResourceKey::Id(blockId))) {
    if (entry->language != language) continue;
    std::vector<uint8_t> bytes;
    StringBlock block;
    EXPECT_TRUE(ReadResourceBytes(entry->data, bytes).ok());
    EXPECT_TRUE(DecodeStringBlock(bytes, block).ok());
    return block;
  }
  ADD_FAILURE() << "no block " << blockId << " in language " << language;
  return {};
}

StringEdit Set(uint16_t id, std::u16string text) { return {id, false, std::move(text)}; }
StringEdit Unset(uint16_t id) { return {id, true, {}}; }

TEST(StringTable, BlockIdsAndEncoding) {
  EXPECT_EQ(StringBlockId(0), 1);
  EXPECT_EQ(StringBlockId(15), 1);
  EXPECT_EQ(StringBlockId(16), 2);
  EXPECT_EQ(StringBlockId(103), 7);
  EXPECT_EQ(StringBlockId(65535), 4096);
  EXPECT_EQ(StringIndexInBlock(103), 7u);
  const std::vector<uint8_t> bytes = BlockBytes({{0, u"x86"}, {1, u"\U0001F600"}});
  EXPECT_EQ(bytes.size(), 2u * 16 + 2 * 3 + 2 * 2);  // 16 lengths, 3 units, one surrogate pair
  StringBlock block;
  ASSERT_TRUE(DecodeStringBlock(bytes, block).ok());
  EXPECT_EQ(block.strings[1], u"\U0001F600");
}

TEST(StringTable, TruncatedBlocksAreRefusedAndPaddingAllowed) {
  std::vector<uint8_t> bytes = BlockBytes({{15, u"last"}});
  StringBlock block;
  std::vector<uint8_t> padded = bytes;
  padded.insert(padded.end(), {0, 0, 0, 0});
  EXPECT_TRUE(DecodeStringBlock(padded, block).ok());
  bytes.pop_back();
  EXPECT_FALSE(DecodeStringBlock(bytes, block).ok());
  EXPECT_FALSE(DecodeStringBlock({}, block).ok());
}

TEST(StringTable, EditsKeepTheBlockLanguageAndOtherEntries) {
  ResourceTree tree;
  ASSERT_TRUE(tree.Add({kStringType, ResourceKey::Id(1), 1031, 0,
                        ResourceSource::FromBytes(BlockBytes({{0, u"x86"}, {1, u"Alt"}, {2, u"zwei"}}))}).ok());
  ASSERT_TRUE(tree.Add({kStringType, ResourceKey::Id(7), 1031, 0,
                        ResourceSource::FromBytes(BlockBytes({{7, u"100"}}))}).ok());
  ASSERT_TRUE(ApplyStringEdits({Set(1, u"Neu \u00e9"), Unset(2), Set(200, u"new block"), Unset(103), Unset(500)}, 1033,
                               tree).ok());
  const StringBlock first = ReadBlock(tree, 1, 1031);
  EXPECT_EQ(first.strings[0], u"x86");
  EXPECT_EQ(first.strings[1], u"Neu \u00e9");
  EXPECT_EQ(first.strings[2], u"");
  // 103 was the only entry of block 7: the block goes, which reads the same as empty.
  EXPECT_TRUE(tree.Find(kStringType, ResourceKey::Id(7)).empty());
  // 200 lands in a new block 13, in the string table's language rather than the fallback.
  EXPECT_EQ(ReadBlock(tree, 13, 1031).strings[8], u"new block");
  // Unsetting in a block that does not exist adds nothing.
  EXPECT_TRUE(tree.Find(kStringType, ResourceKey::Id(32)).empty());
}

TEST(StringTable, EveryLanguageOfABlockIsEdited) {
  ResourceTree tree;
  ASSERT_TRUE(tree.Add({kStringType, ResourceKey::Id(1), 1031, 0, ResourceSource::FromBytes(BlockBytes({{1, u"de"}}))}).ok());
  ASSERT_TRUE(tree.Add({kStringType, ResourceKey::Id(1), 1033, 0, ResourceSource::FromBytes(BlockBytes({{1, u"en"}}))}).ok());
  ASSERT_TRUE(ApplyStringEdits({Set(1, u"both")}, 0, tree).ok());
  EXPECT_EQ(ReadBlock(tree, 1, 1031).strings[1], u"both");
  EXPECT_EQ(ReadBlock(tree, 1, 1033).strings[1], u"both");
}

TEST(StringTable, NewTableTakesTheFallbackLanguage) {
  ResourceTree tree;
  ASSERT_TRUE(ApplyStringEdits({Set(0, u"x64")}, 2057, tree).ok());
  EXPECT_EQ(ReadBlock(tree, 1, 2057).strings[0], u"x64");
}

TEST(StringTable, MalformedStubBlockIsReported) {
  ResourceTree tree;
  ASSERT_TRUE(tree.Add({kStringType, ResourceKey::Id(1), 1033, 0, ResourceSource::FromBytes({5, 0, 'a'})}).ok());
  const PackResult result = ApplyStringEdits({Set(1, u"x")}, 0, tree);
  ASSERT_FALSE(result.ok());
  EXPECT_NE(result.message().find("truncated"), std::string::npos);
}

}  // namespace
}  // namespace brennix::pack::testing
