// @FILE: arguments read from files, one per line, nested files expanded in place.
#include <gtest/gtest.h>

#include <map>

#include "tests/pack/PackTestSupport.h"
#include "tools/pack/ArgumentFile.h"

namespace brennix::pack {
namespace {

TEST(ArgumentFile, OneArgumentPerLineAsItStands) {
  const std::string text =
      "\xEF\xBB\xBF--stub\r\nstub dir/Brennix Installer.exe\n\n# the product\n--set\n1=Name with \"quotes\" # kept\n"
      "  --indented\n--version-string=CompanyName=Halvard \n#\nlast";
  EXPECT_EQ(SplitArgumentLines(text),
            (std::vector<std::string>{"--stub", "stub dir/Brennix Installer.exe", "--set",
                                      "1=Name with \"quotes\" # kept", "  --indented",
                                      "--version-string=CompanyName=Halvard ", "last"}));
  EXPECT_TRUE(SplitArgumentLines("").empty());
  EXPECT_TRUE(SplitArgumentLines("\n\r\n# only a comment\n").empty());
}

TEST(ArgumentFile, FilesExpandInPlaceAndMayNameMoreFiles) {
  const std::map<std::string, std::string> files = {
      {"release.args", "--out\nSetup.exe\n@brand.args\n--set=103=250\n"},
      {"brand.args", "--icon\nart/app.ico\n"},
      {"loop.args", "@loop.args\n"},
  };
  std::vector<std::string> opened;
  const ReadArgumentText read = [&](const std::string& path, std::string& text) {
    opened.push_back(path);
    const auto found = files.find(path);
    if (found == files.end()) return PackResult::Fail(path + ": no such file");
    text = found->second;
    return PackResult::Ok();
  };
  std::vector<std::string> expanded;
  ASSERT_TRUE(ExpandArgumentFiles({"--stub", "s.exe", "@release.args", "--version", "1.0.0.0"}, read, expanded).ok());
  EXPECT_EQ(expanded, (std::vector<std::string>{"--stub", "s.exe", "--out", "Setup.exe", "--icon", "art/app.ico",
                                                "--set=103=250", "--version", "1.0.0.0"}));
  EXPECT_EQ(opened, (std::vector<std::string>{"release.args", "brand.args"}));

  struct Case {
    std::vector<std::string> arguments;
    const char* message;
  };
  const Case cases[] = {
      {{"@missing.args"}, "@missing.args: missing.args: no such file"},
      {{"@"}, "@ needs a file name"},
      {{"@loop.args"}, "nest too deeply"},
  };
  for (const Case& c : cases) {
    const PackResult result = ExpandArgumentFiles(c.arguments, read, expanded);
    ASSERT_FALSE(result.ok());
    EXPECT_NE(result.message().find(c.message), std::string::npos) << result.message();
  }
}

TEST(ArgumentFile, ReadsRealFiles) {
  testing::ScratchFolder scratch;
  testing::WriteText(scratch / "a.args", "--help\n");
  std::string text;
  ASSERT_TRUE(ReadArgumentFile((scratch / "a.args").string(), text).ok());
  EXPECT_EQ(text, "--help\n");
  const PackResult missing = ReadArgumentFile((scratch / "none.args").string(), text);
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.message().find("no such file"), std::string::npos);
}

}  // namespace
}  // namespace brennix::pack
