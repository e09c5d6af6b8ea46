// The version resource: read, edited and written back in the layout Windows reads (fixed
// numbers after the root key, 32-bit aligned keys, values and children).
#include <gtest/gtest.h>

#include "tools/pack/LittleEndian.h"
#include "tools/pack/VersionResource.h"

namespace brennix::pack {
namespace {

VersionNode Text(std::u16string key, std::u16string text) {
  VersionNode node;
  node.key = std::move(key);
  node.isText = node.hasValue = true;
  node.text = std::move(text);
  return node;
}

VersionNode Branch(std::u16string key, std::vector<VersionNode> children) {
  VersionNode node;
  node.key = std::move(key);
  node.isText = true;
  node.children = std::move(children);
  return node;
}

// A resource like the stub's: fixed numbers 2.3.5.2690, one US English table, a translation.
VersionNode StubLikeTree(bool withStrings = true) {
  VersionNode root;
  root.key = u"VS_VERSION_INFO";
  root.hasValue = true;
  root.binary.assign(52, 0);
  WriteU32(&root.binary[0], 0xFEEF04BD);
  WriteU32(&root.binary[4], 0x00010000);
  for (size_t at : {8, 16}) {
    WriteU32(&root.binary[at], 0x00020003);
    WriteU32(&root.binary[at + 4], 0x00050A82);
  }
  WriteU32(&root.binary[36], 1);  // VFT_APP
  VersionNode translation;
  translation.key = u"Translation";
  translation.hasValue = true;
  translation.binary = {0x07, 0x04, 0xb0, 0x04};  // German, Unicode
  if (withStrings) {
    root.children.push_back(Branch(u"StringFileInfo", {Branch(u"040904b0", {Text(u"CompanyName", u"Corvane"),
                                                                            Text(u"FileVersion", u"2.3.5.2690"),
                                                                            Text(u"Empty", u"")})}));
  }
  root.children.push_back(Branch(u"VarFileInfo", {translation}));
  return root;
}

std::vector<uint8_t> Encode(const VersionNode& root) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(EncodeVersionResource(root, bytes).ok());
  return bytes;
}

void ExpectSameTree(const VersionNode& a, const VersionNode& b) {
  EXPECT_EQ(a.key, b.key);
  EXPECT_EQ(a.isText, b.isText);
  EXPECT_EQ(a.hasValue, b.hasValue);
  EXPECT_EQ(a.binary, b.binary);
  EXPECT_EQ(a.text, b.text);
  ASSERT_EQ(a.children.size(), b.children.size());
  for (size_t i = 0; i < a.children.size(); ++i) ExpectSameTree(a.children[i], b.children[i]);
}

TEST(VersionResource, WritesTheLayoutWindowsReadsAndReadsItBack) {
  const std::vector<uint8_t> bytes = Encode(StubLikeTree());
  EXPECT_EQ(ReadU16(&bytes[0]), bytes.size());
  EXPECT_EQ(ReadU16(&bytes[2]), 52);
  EXPECT_EQ(ReadU16(&bytes[4]), 0);
  EXPECT_EQ(ReadU16(&bytes[6]), u'V');
  EXPECT_EQ(ReadU32(&bytes[40]), 0xFEEF04BDu);  // the key's 16 units, padded: the fixed part at 40
  const size_t info = 40 + 52;                   // StringFileInfo starts aligned right after it
  EXPECT_EQ(ReadU16(&bytes[info + 6]), u'S');
  EXPECT_EQ(ReadU16(&bytes[info + 4]), 1);
  // "CompanyName" inside "040904b0": a text value counted in UTF-16 units with its terminator.
  const size_t table = info + 6 + 2 * 15 + 0;  // "StringFileInfo" and terminator: 36 bytes, aligned
  EXPECT_EQ(ReadU16(&bytes[table + 6]), u'0');
  const size_t company = table + 6 + 18 + 0;  // "040904b0" and terminator: 24 bytes, aligned
  EXPECT_EQ(ReadU16(&bytes[company + 2]), 8);  // "Corvane" + terminator
  EXPECT_EQ(ReadU16(&bytes[company + 6]), u'C');

  VersionNode read;
  ASSERT_TRUE(DecodeVersionResource(bytes, read).ok());
  ExpectSameTree(read, StubLikeTree());
  EXPECT_EQ(Encode(read), bytes);
}

TEST(VersionResource, TextLengthsCountedInBytesReadToTheTerminator) {
  std::vector<uint8_t> bytes = Encode(StubLikeTree());
  const size_t company = 40 + 52 + 36 + 24;
  WriteU16(&bytes[company + 2], 16);  // bytes, as some compilers wrote
  VersionNode read;
  ASSERT_TRUE(DecodeVersionResource(bytes, read).ok());
  EXPECT_EQ(read.Child(u"StringFileInfo")->children[0].children[0].text, u"Corvane");
}

TEST(VersionResource, EditsSetNumbersAndTextsAndKeepTheRest) {
  VersionNode root = StubLikeTree();
  VersionEdits edits;
  ASSERT_TRUE(ParseVersionNumber("7.1.0.42", edits.number));
  edits.setsNumber = true;
  edits.strings = {{u"ProductVersion", u"7.1 beta"}, {u"ProductName", u"Ölfarben"}};
  ApplyVersionEdits(edits, root);
  for (size_t at : {8, 16}) {
    EXPECT_EQ(ReadU32(&root.binary[at]), 0x00070001u);
    EXPECT_EQ(ReadU32(&root.binary[at + 4]), 0x0000002Au);
  }
  EXPECT_EQ(ReadU32(&root.binary[36]), 1u);
  VersionNode& table = root.Child(u"StringFileInfo")->children[0];
  EXPECT_EQ(table.Child(u"CompanyName")->text, u"Corvane");
  EXPECT_EQ(table.Child(u"FileVersion")->text, u"7.1.0.42");
  EXPECT_EQ(table.Child(u"ProductVersion")->text, u"7.1 beta");  // the named text wins
  EXPECT_EQ(table.Child(u"ProductName")->text, u"Ölfarben");
  EXPECT_EQ(table.Child(u"Empty")->text, u"");
  VersionNode read;
  ASSERT_TRUE(DecodeVersionResource(Encode(root), read).ok());
  ExpectSameTree(read, root);
}

TEST(VersionResource, MissingStringTableIsMadeForTheTranslation) {
  VersionNode root = StubLikeTree(false);
  VersionEdits edits;
  edits.strings = {{u"CompanyName", u"Halvard"}};
  ApplyVersionEdits(edits, root);
  ASSERT_EQ(root.children.size(), 2u);
  ASSERT_EQ(root.children[0].key, u"StringFileInfo");
  ASSERT_EQ(root.children[0].children.size(), 1u);
  EXPECT_EQ(root.children[0].children[0].key, u"040704b0");
  EXPECT_EQ(root.children[0].children[0].Child(u"CompanyName")->text, u"Halvard");
}

TEST(VersionResource, TooLongTextsAreRefused) {
  VersionNode root = StubLikeTree();
  VersionEdits edits;
  edits.strings = {{u"Comments", std::u16string(40000, u'x')}};
  ApplyVersionEdits(edits, root);
  std::vector<uint8_t> bytes;
  EXPECT_FALSE(EncodeVersionResource(root, bytes).ok());
}

TEST(VersionResource, MalformedResourcesAreRefused) {
  const std::vector<uint8_t> good = Encode(StubLikeTree());
  std::vector<uint8_t> longRoot = good;
  WriteU16(&longRoot[0], static_cast<uint16_t>(good.size() + 4));
  std::vector<uint8_t> longChild = good;
  WriteU16(&longChild[92], 0xfff0);
  std::vector<uint8_t> badSignature = good;
  badSignature[40] ^= 1;
  std::vector<uint8_t> unterminated(good.begin(), good.begin() + 20);
  WriteU16(&unterminated[0], 20);
  for (const auto& bytes : {longRoot, longChild, badSignature, unterminated, std::vector<uint8_t>(4, 0)}) {
    VersionNode root;
    const PackResult result = DecodeVersionResource(bytes, root);
    ASSERT_FALSE(result.ok());
    EXPECT_NE(result.message().find("version resource is malformed"), std::string::npos) << result.message();
  }
}

TEST(VersionResource, VersionNumbersAreFourSixteenBitNumbers) {
  const std::pair<const char*, bool> cases[] = {
      {"1.2.3.4", true},     {"0.0.0.0", true},   {"65535.65535.65535.65535", true},
      {"1.2.3.4.5", false},  {"1.2.3", false},    {"1", false},
      {"65536.0.0.0", false}, {"1..3.4", false},  {"1.2.3.4.", false},
      {".1.2.3", false},     {"1.2.3.x", false},  {"", false},
      {"-1.2.3.4", false},   {"1.2.3.000004", false},
  };
  for (const auto& [text, valid] : cases) {
    VersionNumber number{};
    EXPECT_EQ(ParseVersionNumber(text, number), valid) << text;
  }
  VersionNumber number{};
  ASSERT_TRUE(ParseVersionNumber("65535.0.10.2690", number));
  EXPECT_EQ(number, (VersionNumber{65535, 0, 10, 2690}));
  EXPECT_EQ(VersionText(number), u"65535.0.10.2690");
  EXPECT_TRUE(IsVersionStringKey("LegalCopyright"));
  EXPECT_FALSE(IsVersionStringKey("legalcopyright"));
  EXPECT_FALSE(IsVersionStringKey("Copyright"));
}

}  // namespace
}  // namespace brennix::pack
