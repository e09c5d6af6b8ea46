// Branding a stub's resources: the options as the command line gives them, the icon's images
// replaced without touching other icons, pictures checked against the size their dialog shows,
// the version resource edited, and every refusal with its reason.
#include <gtest/gtest.h>

#include "tests/pack/ArtworkBytes.h"
#include "tests/pack/PackTestSupport.h"
#include "tools/pack/Branding.h"
#include "tools/pack/IconFile.h"
#include "tools/pack/LittleEndian.h"
#include "tools/pack/VersionResource.h"

namespace brennix::pack {
namespace {

using testing::BmpFile;
using testing::IcoFile;
using testing::IconDib;

const ResourceKey kBitmap = ResourceKey::Id(2);
const ResourceKey kIcon = ResourceKey::Id(3);
const ResourceKey kGroup = ResourceKey::Id(14);
const ResourceKey kVersion = ResourceKey::Id(16);
constexpr uint16_t kGerman = 0x407;

ResourceEntry Entry(ResourceKey type, uint16_t name, uint16_t language, std::vector<uint8_t> bytes) {
  return {std::move(type), ResourceKey::Id(name), language, 0, ResourceSource::FromBytes(std::move(bytes))};
}

std::vector<uint8_t> Read(ResourceTree& tree, const ResourceKey& type, uint16_t name) {
  std::vector<ResourceEntry*> found = tree.Find(type, ResourceKey::Id(name));
  EXPECT_EQ(found.size(), 1u) << type.Describe() << "/" << name;
  std::vector<uint8_t> bytes;
  if (!found.empty()) EXPECT_TRUE(ReadResourceBytes(found[0]->data, bytes).ok());
  return bytes;
}

std::vector<uint8_t> StubVersion() {
  VersionNode root;
  root.key = u"VS_VERSION_INFO";
  root.hasValue = true;
  root.binary.assign(52, 0);
  WriteU32(&root.binary[0], 0xFEEF04BD);
  VersionNode table;
  table.key = u"040904b0";
  table.isText = true;
  VersionNode company;
  company.key = u"CompanyName";
  company.isText = company.hasValue = true;
  company.text = u"Corvane";
  table.children.push_back(company);
  VersionNode info;
  info.key = u"StringFileInfo";
  info.isText = true;
  info.children.push_back(table);
  root.children.push_back(info);
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(EncodeVersionResource(root, bytes).ok());
  return bytes;
}

// A stub's resources: application icon group 5 (images 1 and 2, German), another group 7
// sharing image 2 and owning 3, both pictures, a version resource.
ResourceTree StubTree() {
  ResourceTree tree;
  std::vector<IconImage> two(2, IconImage{16, 16, 0, 1, 4, {1}});
  EXPECT_TRUE(tree.Add(Entry(kGroup, 5, kGerman, EncodeIconGroup(two, {1, 2}))).ok());
  EXPECT_TRUE(tree.Add(Entry(kGroup, 7, 1033, EncodeIconGroup(two, {2, 3}))).ok());
  for (uint16_t id : {1, 2, 3}) EXPECT_TRUE(tree.Add(Entry(kIcon, id, kGerman, {static_cast<uint8_t>(id)})).ok());
  EXPECT_TRUE(tree.Add(Entry(kBitmap, 130, 1033, {'b'})).ok());
  EXPECT_TRUE(tree.Add(Entry(kBitmap, 133, 1033, {'s'})).ok());
  EXPECT_TRUE(tree.Add(Entry(kVersion, 1, 1033, StubVersion())).ok());
  return tree;
}

PackOptions Options(std::vector<std::string> branding) {
  std::vector<std::string> arguments = {"--stub", "s.exe", "--out", "o.exe"};
  arguments.insert(arguments.end(), branding.begin(), branding.end());
  PackOptions options;
  EXPECT_TRUE(ParsePackOptions(arguments, options).ok());
  return options;
}

TEST(BrandingOptions, ReadFromTheCommandLine) {
  const PackOptions options = Options({"--icon", "a.ico", "--splash=s.bmp", "--banner", "b.bmp", "--version",
                                       "1.2.3.4", "--version-string", "CompanyName=A = B", "--version-string=Comments="});
  EXPECT_EQ(options.branding.icon, "a.ico");
  EXPECT_EQ(options.branding.splash, "s.bmp");
  EXPECT_EQ(options.branding.banner, "b.bmp");
  EXPECT_EQ(options.branding.version, "1.2.3.4");
  using Strings = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(options.branding.versionStrings, (Strings{{"CompanyName", "A = B"}, {"Comments", ""}}));

  const std::pair<std::vector<std::string>, const char*> refused[] = {
      {{"--icon", "a.ico", "--icon", "b.ico"}, "--icon given twice"},
      {{"--splash="}, "--splash needs a non-empty value"},
      {{"--version-string", "CompanyName"}, "expected KEY=VALUE"},
      {{"--version-string", "=x"}, "expected KEY=VALUE"},
      {{"--version-string", "Comments=a", "--version-string", "Comments=b"}, "Comments is already set"},
      {{"--banner"}, "--banner needs a value"},
  };
  for (const auto& [arguments, message] : refused) {
    std::vector<std::string> full = {"--stub", "s.exe", "--out", "o.exe"};
    full.insert(full.end(), arguments.begin(), arguments.end());
    PackOptions options;
    const PackResult result = ParsePackOptions(full, options);
    ASSERT_FALSE(result.ok()) << message;
    EXPECT_NE(result.message().find(message), std::string::npos) << result.message();
  }
}

TEST(Branding, IconReplacesTheApplicationIconsOwnImagesOnly) {
  testing::ScratchFolder scratch;
  const std::vector<uint8_t> small = IconDib(16, 8, 0x10), medium = IconDib(32, 4, 0x20), large = IconDib(48, 32, 0x30);
  testing::WriteBytes(scratch / "new.ico", IcoFile({{16, 16, 1, 8, small}, {32, 32, 1, 4, medium}, {48, 48, 1, 32, large}}));
  ResourceTree tree = StubTree();
  ASSERT_TRUE(ApplyBranding(Options({"--icon", (scratch / "new.ico").string()}), 1033, tree).ok());

  // Image 1 was group 5's alone; 2 is shared with group 7 and stays, as does 3.
  std::vector<uint16_t> ids;
  ASSERT_TRUE(DecodeIconGroupIds(Read(tree, kGroup, 5), ids).ok());
  EXPECT_EQ(ids, (std::vector<uint16_t>{1, 4, 5}));
  EXPECT_EQ(Read(tree, kIcon, 1), small);
  EXPECT_EQ(Read(tree, kIcon, 2), std::vector<uint8_t>{2});
  EXPECT_EQ(Read(tree, kIcon, 3), std::vector<uint8_t>{3});
  EXPECT_EQ(Read(tree, kIcon, 4), medium);
  EXPECT_EQ(Read(tree, kIcon, 5), large);
  const std::vector<uint8_t> group = Read(tree, kGroup, 5);
  EXPECT_EQ(group[6 + 14 + 6], 4);  // the 32x32 image's depth, from its header
  for (const ResourceEntry& entry : tree.entries()) {
    if (entry.type == kIcon || (entry.type == kGroup && entry.name == ResourceKey::Id(5))) {
      EXPECT_EQ(entry.language, kGerman) << entry.type.Describe() << "/" << entry.name.Describe();
    }
  }
}

TEST(Branding, PicturesReplaceTheirBitmapsWithoutTheFileHeader) {
  testing::ScratchFolder scratch;
  const std::vector<uint8_t> splash = BmpFile(428, 211, 24), banner = BmpFile(634, -78, 32);
  testing::WriteBytes(scratch / "splash.bmp", splash);
  testing::WriteBytes(scratch / "banner.bmp", banner);
  ResourceTree tree = StubTree();
  ASSERT_TRUE(ApplyBranding(Options({"--splash", (scratch / "splash.bmp").string(), "--banner",
                                     (scratch / "banner.bmp").string()}),
                            1033, tree)
                  .ok());
  const std::vector<uint8_t> splashResource = Read(tree, kBitmap, 133), bannerResource = Read(tree, kBitmap, 130);
  ASSERT_EQ(splashResource.size(), splash.size() - 14);
  EXPECT_TRUE(std::equal(splashResource.begin() + 40, splashResource.end(), splash.begin() + 54));
  ASSERT_EQ(bannerResource.size(), banner.size() - 14);
  EXPECT_EQ(static_cast<int32_t>(ReadU32(&bannerResource[8])), -78);
}

TEST(Branding, VersionNumbersAndTextsEditTheVersionResource) {
  ResourceTree tree = StubTree();
  ASSERT_TRUE(ApplyBranding(Options({"--version", "7.1.0.42", "--version-string", "ProductName=Halvard Studio"}), 1033,
                            tree)
                  .ok());
  VersionNode root;
  ASSERT_TRUE(DecodeVersionResource(Read(tree, kVersion, 1), root).ok());
  EXPECT_EQ(ReadU32(&root.binary[8]), 0x00070001u);
  EXPECT_EQ(ReadU32(&root.binary[20]), 42u);
  VersionNode& table = root.Child(u"StringFileInfo")->children[0];
  EXPECT_EQ(table.Child(u"CompanyName")->text, u"Corvane");
  EXPECT_EQ(table.Child(u"ProductName")->text, u"Halvard Studio");
  EXPECT_EQ(table.Child(u"FileVersion")->text, u"7.1.0.42");
}

TEST(Branding, RefusalsNameTheOptionAndTheReason) {
  testing::ScratchFolder scratch;
  const auto file = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
    testing::WriteBytes(scratch / name, bytes);
    return (scratch / name).string();
  };
  const std::string png = file("png.ico", testing::PngStream(32));
  const std::string big = file("big.bmp", BmpFile(640, 480, 24));
  const std::string palette = file("palette.bmp", BmpFile(428, 211, 8));
  const std::string rle = file("rle.bmp", BmpFile(634, 78, 8, 1));
  const std::string bannerSized = file("banner.bmp", BmpFile(634, 78, 24));
  const std::string masks = file("masks.bmp", [] {
    std::vector<uint8_t> bytes = BmpFile(428, 211, 32, 3);
    WriteU32(&bytes[14 + 40], 0xff);
    return bytes;
  }());
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--icon", png}, "--icon " + png + ": not an icon file: it is a PNG picture"},
      {{"--icon", (scratch / "none.ico").string()}, "--icon: " + (scratch / "none.ico").string() + ": no such file"},
      {{"--splash", big}, "the splash must be an uncompressed 24- or 32-bit bitmap of 428x211 pixels; this one is 640x480"},
      {{"--splash", palette}, "of 428x211 pixels; this one has 8 bits per pixel"},
      {{"--splash", bannerSized}, "this one is 634x78"},
      {{"--splash", masks}, "this one is compressed"},
      {{"--banner", rle}, "the banner must be an uncompressed 24- or 32-bit bitmap of 634x78 pixels; this one has 8 bits"},
      {{"--banner", big}, "of 634x78 pixels; this one is 640x480"},
      {{"--version", "1.2.3.4.5"}, "--version 1.2.3.4.5: expected four numbers A.B.C.D, each from 0 to 65535"},
      {{"--version-string", "Company=x"}, "unknown key Company (one of Comments, CompanyName,"},
      {{"--version-string", "Comments=\xff"}, "VALUE is not valid UTF-8"},
      {{"--splash", bannerSized, "--resource", "2/133=x.bmp"}, "--splash and --resource 2/133 both replace"},
  };
  for (const auto& [arguments, message] : cases) {
    SCOPED_TRACE(message);
    ResourceTree tree = StubTree();
    const PackResult result = ApplyBranding(Options(arguments), 1033, tree);
    ASSERT_FALSE(result.ok());
    EXPECT_NE(result.message().find(message), std::string::npos) << result.message();
  }

  ResourceTree withoutVersion = StubTree();
  withoutVersion.Remove(kVersion, ResourceKey::Id(1));
  const PackResult result = ApplyBranding(Options({"--version", "1.0.0.0"}), 1033, withoutVersion);
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.message(), "--version: the stub has no version resource to change");
}

}  // namespace
}  // namespace brennix::pack
