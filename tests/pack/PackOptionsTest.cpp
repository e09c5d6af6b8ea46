// The command line: what each form means, and every malformed one refused with its reason.
#include <gtest/gtest.h>

#include "tools/pack/PackOptions.h"

namespace brennix::pack {
namespace {

std::vector<std::string> WithStubAndOut(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), {"--stub", "s.exe", "--out", "o.exe"});
  return arguments;
}

TEST(PackOptions, ReadsEveryOption) {
  PackOptions options;
  ASSERT_TRUE(ParsePackOptions(WithStubAndOut({"--payload", "dir", "--program=bin/Setup.exe",
                                               "--file", "200=sub\\a b.txt=/x/y=z.txt", "--resource",
                                               "toolkit/readme_1=r.txt", "--resource", "2/130=b.bmp",
                                               "--set", "1=Name = \xC3\xA9", "--set=145=0", "--unset", "103",
                                               "--manifest-file", "m.txt"}),
                               options)
                  .ok());
  EXPECT_EQ(options.stub, "s.exe");
  EXPECT_EQ(options.out, "o.exe");
  EXPECT_EQ(options.payloadFolder, "dir");
  EXPECT_EQ(options.program, "bin/Setup.exe");
  ASSERT_EQ(options.files.size(), 1u);
  EXPECT_EQ(options.files[0].id, 200);
  EXPECT_EQ(options.files[0].name, "sub\\a b.txt");
  EXPECT_EQ(options.files[0].path, "/x/y=z.txt");
  ASSERT_EQ(options.resources.size(), 2u);
  EXPECT_EQ(options.resources[0].type, kToolkitType);
  EXPECT_EQ(options.resources[0].name, ResourceKey::Name(u"README_1"));
  EXPECT_EQ(options.resources[1].type, ResourceKey::Id(2));
  EXPECT_EQ(options.resources[1].name, ResourceKey::Id(130));
  ASSERT_EQ(options.strings.size(), 3u);
  EXPECT_EQ(options.strings[0].text, u"Name = \u00e9");
  EXPECT_EQ(options.strings[1].id, 145);
  EXPECT_EQ(options.strings[1].text, u"0");
  EXPECT_TRUE(options.strings[2].unset);
  EXPECT_EQ(options.manifestFile, "m.txt");
  EXPECT_TRUE(options.DefinesPayload());
  EXPECT_FALSE(options.store);
  EXPECT_EQ(options.level, kDefaultCompressionLevel);
}

TEST(PackOptions, StoreOrLevel) {
  PackOptions options;
  ASSERT_TRUE(ParsePackOptions(WithStubAndOut({"--store"}), options).ok());
  EXPECT_TRUE(options.store);
  ASSERT_TRUE(ParsePackOptions(WithStubAndOut({"--level=22"}), options).ok());
  EXPECT_EQ(options.level, 22);
  ASSERT_TRUE(ParsePackOptions(WithStubAndOut({"--level", "1"}), options).ok());
  EXPECT_EQ(options.level, 1);
}

TEST(PackOptions, EmptySetTextAndHelpAlone) {
  PackOptions options;
  ASSERT_TRUE(ParsePackOptions(WithStubAndOut({"--set", "7="}), options).ok());
  EXPECT_EQ(options.strings[0].text, u"");
  EXPECT_FALSE(options.strings[0].unset);
  EXPECT_FALSE(options.DefinesPayload());
  ASSERT_TRUE(ParsePackOptions({"--help"}, options).ok());
  EXPECT_TRUE(options.help);
}

TEST(PackOptions, RefusesMalformedCommandLines) {
  struct Case {
    std::vector<std::string> arguments;
    const char* message;
  };
  const Case cases[] = {
      {{}, "--stub is required"},
      {{"--stub", "s.exe"}, "--out is required"},
      {{"--out", "o.exe", "--stub"}, "--stub needs a value"},
      {{"--stub", "a", "--stub", "b", "--out", "o"}, "--stub given twice"},
      {{"--stub="}, "needs a non-empty value"},
      {{"stray"}, "unexpected argument stray"},
      {{"--bogus", "x"}, "unknown option --bogus"},
      {{"--help=yes"}, "takes no value"},
      {WithStubAndOut({"--program", "a.exe"}), "--program needs --payload"},
      {WithStubAndOut({"--no-manifest", "--manifest-file", "m"}), "exclude each other"},
      {WithStubAndOut({"--store", "--level", "3"}), "--level and --store exclude each other"},
      {WithStubAndOut({"--level", "0"}), "from 1 to 22"},
      {WithStubAndOut({"--level", "23"}), "from 1 to 22"},
      {WithStubAndOut({"--level", "3", "--level", "4"}), "--level given twice"},
      {WithStubAndOut({"--store=yes"}), "takes no value"},
      {WithStubAndOut({"--file", "102=a.txt"}), "expected ID=NAME=PATH"},
      {WithStubAndOut({"--file", "0=a.txt=p"}), "from 1 to 65535"},
      {WithStubAndOut({"--file", "65536=a.txt=p"}), "from 1 to 65535"},
      {WithStubAndOut({"--file", "-5=a.txt=p"}), "from 1 to 65535"},
      {WithStubAndOut({"--file", "1x=a.txt=p"}), "from 1 to 65535"},
      {WithStubAndOut({"--file", "102=a.txt="}), "PATH is empty"},
      {WithStubAndOut({"--file", "102==p"}), "empty file name"},
      {WithStubAndOut({"--file", "102=a*b=p"}), "contains '*'"},
      {WithStubAndOut({"--file", "102=a/b=p"}), "contains '/'"},
      {WithStubAndOut({"--file", "102=C:\\x=p"}), "contains ':'"},
      {WithStubAndOut({"--file", "102=\\abs=p"}), "must be relative"},
      {WithStubAndOut({"--file", "102=a\\..\\b=p"}), "must be relative"},
      {WithStubAndOut({"--file", "102=a\\\\b=p"}), "must be relative"},
      {WithStubAndOut({"--file", "102=tab\there=p"}), "control character"},
      {WithStubAndOut({"--file", "102=a=p", "--file", "102=b=q"}), "duplicate id 102"},
      {WithStubAndOut({"--resource", "TOOLKIT=p"}), "expected TYPE/NAME=PATH"},
      {WithStubAndOut({"--resource", "TOOLKIT/x"}), "expected TYPE/NAME=PATH"},
      {WithStubAndOut({"--resource", "TOOLKIT/=p"}), "number from 1 to 65535 or an ASCII name"},
      {WithStubAndOut({"--resource", "TOOL KIT/x=p"}), "number from 1 to 65535 or an ASCII name"},
      {WithStubAndOut({"--resource", "TOOLKIT/0=p"}), "number from 1 to 65535 or an ASCII name"},
      {WithStubAndOut({"--resource", "TOOLKIT/caf\xC3\xA9=p"}), "number from 1 to 65535 or an ASCII name"},
      {WithStubAndOut({"--resource", "2/1=p", "--resource", "2/1=q"}), "duplicate resource 2/1"},
      {WithStubAndOut({"--resource", "toolkit/a=p", "--resource", "TOOLKIT/A=q"}), "duplicate resource"},
      {WithStubAndOut({"--set", "1"}), "expected ID=TEXT"},
      {WithStubAndOut({"--set", "65536=x"}), "from 0 to 65535"},
      {WithStubAndOut({"--set", "=x"}), "from 0 to 65535"},
      {WithStubAndOut({"--set", "1=\xFF"}), "not valid UTF-8"},
      {WithStubAndOut({"--set", "1=\xED\xA0\x80"}), "not valid UTF-8"},  // an encoded surrogate
      {WithStubAndOut({"--set", "1=" + std::string(65536, 'x')}), "longer than 65535"},
      {WithStubAndOut({"--set", "1=a", "--unset", "1"}), "already set or unset"},
      {WithStubAndOut({"--unset", "x"}), "from 0 to 65535"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    PackOptions options;
    const PackResult result = ParsePackOptions(c.arguments, options);
    ASSERT_FALSE(result.ok());
    EXPECT_NE(result.message().find(c.message), std::string::npos) << result.message();
  }
}

}  // namespace
}  // namespace brennix::pack
