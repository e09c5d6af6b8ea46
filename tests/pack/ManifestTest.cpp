// The manifest text, the names it can carry, which entry the stub launches, and how a payload
// folder becomes entries.
#include <gtest/gtest.h>

#include "tests/pack/PackTestSupport.h"
#include "payload/Manifest.h"
#include "tools/pack/Manifest.h"
#include "tools/pack/PayloadFolder.h"
#include "tools/pack/PeCheckSum.h"

namespace brennix::pack::testing {
namespace {

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(Manifest, TriplesInIdOrderWithoutTrailingSeparator) {
  std::vector<uint8_t> text;
  ASSERT_TRUE(BuildManifestText({{130, "items.xml", 312}, {102, "data.bin", 7010540}, {107, "sub\\Setup.exe", 0}}, text).ok());
  EXPECT_EQ(Text(text), "102*data.bin*7010540*107*sub\\Setup.exe*0*130*items.xml*312");
  ASSERT_TRUE(BuildManifestText({}, text).ok());
  EXPECT_EQ(Text(text), "");
}

TEST(Manifest, NamesAreWrittenInWindows1252) {
  std::vector<uint8_t> text;
  ASSERT_TRUE(BuildManifestText({{102, "Caf\xC3\xA9 \xE2\x82\xAC \xC5\xB8.txt", 1}}, text).ok());
  EXPECT_EQ(Text(text), "102*Caf\xE9 \x80 \x9F.txt*1");
}

// The stub's own parser reads back exactly what was packed, once the bytes are decoded as the
// stub decodes them on a Windows-1252 system.
TEST(Manifest, StubParserReadsBackThePackedEntries) {
  const std::vector<ManifestEntry> entries = {
      {102, "Setup.exe", 4099}, {103, "lib\\deeper\\empty.txt", 0}, {104, "Caf\xC3\xA9 \xE2\x82\xAC.txt", 14},
      {65535, "last.bin", 2147483647},
  };
  std::vector<uint8_t> text;
  ASSERT_TRUE(BuildManifestText(entries, text).ok());
  std::wstring wide;
  for (uint8_t byte : text) wide += byte == 0x80 ? L'\u20ac' : static_cast<wchar_t>(byte);  // the one 0x80-0x9F byte used
  ManifestMap map;
  ParseManifest(wide, map);
  ASSERT_EQ(map.size(), entries.size());
  EXPECT_EQ(map[102].m_strFileName, L"Setup.exe");
  EXPECT_EQ(map[102].m_nSize, 4099);
  EXPECT_EQ(map[103].m_strFileName, L"lib\\deeper\\empty.txt");
  EXPECT_EQ(map[103].m_nSize, 0);
  EXPECT_EQ(map[104].m_strFileName, L"Caf\u00e9 \u20ac.txt");
  EXPECT_EQ(map[65535].m_nSize, 2147483647);
}

TEST(Manifest, NamesItCannotCarryAreRefused) {
  const struct {
    const char* name;
    const char* message;
  } cases[] = {
      {"", "empty file name"},
      {"a*b", "contains '*'"},
      {"a?b", "contains '?'"},
      {"a|b", "contains '|'"},
      {"a\"b", "contains '\"'"},
      {"a<b", "contains '<'"},
      {"line\nbreak", "control character"},
      {"c1\xC2\x85", "control character"},
      {"\xE2\x9C\x93", "U+2713"},
      {"\xC4\x9F", "U+011F"},  // Turkish g-breve: in 1254, not 1252
      {"bad\xC3", "not valid UTF-8"},
      {"\\lead", "must be relative"},
      {"trail\\", "must be relative"},
      {".\\x", "must be relative"},
      {"x\\..", "must be relative"},
      // What the stub would refuse: the packer applies the stub's own rule.
      {"...", "must be relative"},
      {" ..\\x", "must be relative"},
      {". .", "must be relative"},
      {"a\\\\b", "must be relative"},
      {"CON", "must be relative"},
      {"sub\\aux.txt", "must be relative"},
      {"Lpt1 .log", "must be relative"},
      {"com\xC2\xB9", "must be relative"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const PackResult result = CheckManifestName(c.name);
    ASSERT_FALSE(result.ok());
    EXPECT_NE(result.message().find(c.message), std::string::npos) << result.message();
  }
  EXPECT_TRUE(CheckManifestName("sub dir\\.hidden\\a..b.exe.config").ok());
  EXPECT_TRUE(CheckManifestName("console.txt").ok());
  EXPECT_TRUE(CheckManifestName("com10\\lpt0.log").ok());
}

TEST(Manifest, LaunchCandidatesFollowTheStubsRule) {
  const struct {
    const char* name;
    bool candidate;
  } cases[] = {
      {"Setup.exe", true},      {"Setup.EXE", true},   {"Setup.exe.config", true}, {"a.exec", true},
      {"lib\\tool.exe", true},  {".exe", false},       {".exe.txt", false},        {"setup.ex", false},
      {"readme.txt", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsLaunchCandidate(c.name), c.candidate) << c.name;
  EXPECT_EQ(LaunchedEntryId({{120, "b.exe", 1}, {110, "a.exe.config", 1}, {105, "x.dll", 1}}), 110);
  EXPECT_EQ(LaunchedEntryId({{105, "x.dll", 1}}), std::nullopt);
}

TEST(PayloadFolder, FilesBecomeBackslashNamesSortedWithSizes) {
  ScratchFolder scratch;
  WriteText(scratch / "p" / "Setup.exe", "12345");
  WriteText(scratch / "p" / "b" / "c" / "deep.txt", "");
  WriteText(scratch / "p" / "a.dll", "ab");
  std::filesystem::create_directories(scratch / "p" / "empty");
  WriteText(scratch / "elsewhere" / "linked.txt", "via a link");
  std::filesystem::create_directory_symlink(scratch / "elsewhere", scratch / "p" / "link");
  std::vector<PayloadFile> files;
  ASSERT_TRUE(ScanPayloadFolder(scratch / "p", files).ok());
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[0].manifestName, "Setup.exe");
  EXPECT_EQ(files[0].size, 5u);
  EXPECT_EQ(files[1].manifestName, "a.dll");
  EXPECT_EQ(files[2].manifestName, "b\\c\\deep.txt");
  EXPECT_EQ(files[2].size, 0u);
  EXPECT_EQ(files[3].manifestName, "link\\linked.txt");
  size_t program = 99;
  ASSERT_TRUE(ChooseProgram(files, "", program).ok());
  EXPECT_EQ(program, 0u);
  ASSERT_TRUE(ChooseProgram(files, "Setup.exe", program).ok());
  EXPECT_EQ(program, 0u);
}

TEST(PayloadFolder, ProgramChoiceRefusals) {
  const std::vector<PayloadFile> none = {{"a.dll", {}, 1}, {"sub\\x.exe", {}, 1}};
  const std::vector<PayloadFile> two = {{"A.exe", {}, 1}, {"B.EXE", {}, 1}, {"sub\\x.exe", {}, 1}};
  size_t program = 0;
  EXPECT_NE(ChooseProgram(none, "", program).message().find("no .exe file at the top"), std::string::npos);
  EXPECT_NE(ChooseProgram(two, "", program).message().find("more than one"), std::string::npos);
  ASSERT_TRUE(ChooseProgram(two, "sub/x.exe", program).ok());
  EXPECT_EQ(program, 2u);
  EXPECT_NE(ChooseProgram(none, "a.dll", program).message().find("holds \".exe\""), std::string::npos);
  EXPECT_NE(ChooseProgram(none, "b.exe", program).message().find("no such file"), std::string::npos);
}

TEST(PayloadFolder, NamesWithBackslashesAreRefused) {
  ScratchFolder scratch;
  WriteText(scratch / "p" / "Setup.exe", "x");
  WriteText(scratch / "p" / "odd\\name.txt", "x");
  std::vector<PayloadFile> files;
  const PackResult result = ScanPayloadFolder(scratch / "p", files);
  ASSERT_FALSE(result.ok());
  EXPECT_NE(result.message().find("backslash"), std::string::npos);
}

TEST(PeCheckSum, StreamingInAnyPiecesMatchesOnePass) {
  std::vector<uint8_t> file = BuildSyntheticPe(TypicalStubSpec(ResourceTree()));
  file.push_back(0xAB);  // an odd length
  const uint32_t checkSumOffset = 0x80 + 24 + 64;
  std::fill_n(file.begin() + checkSumOffset, 4, 0);
  const uint32_t expected = ReferenceCheckSum(file);
  for (size_t piece : {1u, 2u, 3u, 7u, 4096u, 100000u}) {
    PeCheckSum sum;
    for (size_t at = 0; at < file.size(); at += piece) sum.Add(&file[at], std::min(piece, file.size() - at));
    EXPECT_EQ(sum.Finish(), expected) << "pieces of " << piece;
  }
}

}  // namespace
}  // namespace brennix::pack::testing
