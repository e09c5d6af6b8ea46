// The packed file as a whole: layout invariants on stubs of different shapes, what happens to
// the sections, relocations, symbols and signature, and refusals that leave no output.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "payload/PackedFormat.h"
#include "payload/PackedStream.h"
#include "tests/pack/PackTestSupport.h"
#include "tools/pack/ImageLayout.h"
#include "tools/pack/LittleEndian.h"
#include "tools/pack/PackOptions.h"
#include "tools/pack/Packer.h"
#include "tools/pack/PeImage.h"
#include "tools/pack/ResourceDirectoryReader.h"

namespace brennix::pack::testing {
namespace {

ResourceTree StubResources() {
  ResourceTree tree;
  tree.Add({ResourceKey::Id(3), ResourceKey::Id(1), 1033, 0, ResourceSource::FromBytes(Bytes("ICON-BYTES"))});
  tree.Add({ResourceKey::Id(24), ResourceKey::Id(1), 1033, 0, ResourceSource::FromBytes(Bytes("<assembly/>"))});
  tree.Add({ResourceKey::Id(5), ResourceKey::Id(100), 1033, 0, ResourceSource::FromBytes(Bytes("DIALOG"))});
  tree.Add({kToolkitType, ResourceKey::Id(101), 1033, 0, ResourceSource::FromBytes(Bytes("102*old.exe*3"))});
  tree.Add({kToolkitType, ResourceKey::Id(102), 1033, 0, ResourceSource::FromBytes(Bytes("old"))});
  tree.SortForLoader();
  return tree;
}

struct PackRun {
  PackResult result = PackResult::Ok();
  std::string warnings;
};

// Packs with the payload stored unless told otherwise: most tests look at the raw layout.
PackRun RunPack(std::vector<std::string> arguments, bool store = true) {
  if (store) arguments.push_back("--store");
  PackOptions options;
  PackRun run;
  run.result = ParsePackOptions(arguments, options);
  if (!run.result) return run;
  std::ostringstream report;
  std::ostringstream warnings;
  run.result = Pack(options, report, warnings);
  run.warnings = warnings.str();
  return run;
}

PeImage ReadImage(const std::vector<uint8_t>& file) {
  MemorySource source(file);
  PeImage image;
  EXPECT_TRUE(ReadPeImage(source, image).ok());
  return image;
}

const PeSection* FindSection(const PeImage& image, const std::string& name) {
  for (const PeSection& section : image.sections) {
    if (section.name == name) return &section;
  }
  return nullptr;
}

std::vector<uint8_t> SectionBytes(const std::vector<uint8_t>& file, const PeSection& section) {
  return std::vector<uint8_t>(file.begin() + section.pointerToRawData,
                              file.begin() + section.pointerToRawData + section.sizeOfRawData);
}

class PackedStub : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(scratch_ / "payload" / "Setup.exe", "MZ program");
    WriteBytes(scratch_ / "payload" / "big.bin", std::vector<uint8_t>(300000, 0x5A));
    WriteText(scratch_ / "payload" / "lib" / "Helper.dll", "helper");
  }

  PackRun PackSpec(const SyntheticPeSpec& spec, std::vector<std::string> extra = {}, bool store = true) {
    stubBytes_ = BuildSyntheticPe(spec);
    WriteBytes(scratch_ / "stub.exe", stubBytes_);
    std::vector<std::string> arguments{"--stub", (scratch_ / "stub.exe").string(), "--out", Out().string(),
                                       "--payload", (scratch_ / "payload").string()};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return RunPack(arguments, store);
  }

  std::filesystem::path Out() const { return scratch_ / "setup.exe"; }

  ScratchFolder scratch_;
  std::vector<uint8_t> stubBytes_;
};

// The shipped 32-bit stub, and a 64-bit one built from the same sources, pack alike.
TEST_F(PackedStub, TypicalStubIsRebuiltInPlaceAndLaterSectionsMove) {
  for (const SyntheticPeSpec& spec : {TypicalStubSpec(StubResources()), As64Bit(TypicalStubSpec(StubResources()))}) {
    SCOPED_TRACE(spec.magic == 0x020b ? "PE32+" : "PE32");
    ASSERT_TRUE(PackSpec(spec).result.ok());
    const std::vector<uint8_t> out = ReadBytes(Out());
    EXPECT_EQ(PeLayoutProblems(out), std::vector<std::string>());
    const PeImage before = ReadImage(stubBytes_);
    const PeImage after = ReadImage(out);
    ASSERT_EQ(after.sections.size(), before.sections.size());
    // Sections before the resources are untouched, byte for byte and in place.
    for (const char* name : {".text", ".data", ".bss"}) {
      EXPECT_EQ(FindSection(after, name)->virtualAddress, FindSection(before, name)->virtualAddress) << name;
      EXPECT_EQ(FindSection(after, name)->pointerToRawData, FindSection(before, name)->pointerToRawData) << name;
    }
    EXPECT_EQ(SectionBytes(out, *FindSection(after, ".text")), SectionBytes(stubBytes_, *FindSection(before, ".text")));
    // The discardable sections after it moved with their bytes, and the relocation entry with them.
    for (const char* name : {".reloc", "/4"}) {
      EXPECT_GT(FindSection(after, name)->virtualAddress, FindSection(before, name)->virtualAddress) << name;
      EXPECT_EQ(SectionBytes(out, *FindSection(after, name)), SectionBytes(stubBytes_, *FindSection(before, name)))
          << name;
    }
    EXPECT_EQ(after.directories[kBaseRelocationDirectory].rva, FindSection(after, ".reloc")->virtualAddress);
    EXPECT_EQ(after.directories[kResourceDirectory].rva, FindSection(after, ".rsrc")->virtualAddress);
    // The rebuilt resources start on a page of the file, so the loader can map them.
    EXPECT_EQ(FindSection(after, ".rsrc")->pointerToRawData % 0x1000, 0u);
    // The symbol table followed the tail.
    const std::string symbols = "SYMBOLS-AND-STRINGS\x05";
    ASSERT_LE(after.pointerToSymbolTable + symbols.size(), out.size());
    EXPECT_EQ(std::string(out.begin() + after.pointerToSymbolTable, out.begin() + after.pointerToSymbolTable + symbols.size()),
              symbols);
    // Initialized data grew by exactly the resource section's growth.
    const int64_t growth = int64_t{FindSection(after, ".rsrc")->sizeOfRawData} - FindSection(before, ".rsrc")->sizeOfRawData;
    EXPECT_EQ(int64_t{after.sizeOfInitializedData} - before.sizeOfInitializedData, growth);
  }
}

// What the stub's decoding makes of a compressed setup file: every file byte for byte, from
// records in the numbered resources and the one stream.
TEST_F(PackedStub, CompressedPayloadDecodesToTheFilesThroughTheStubsDecoder) {
  // The stream goes through a temporary file, which must be gone afterwards.
  const std::filesystem::path temporary = scratch_ / "tmp";
  std::filesystem::create_directories(temporary);
  const char* previous = getenv("TMPDIR");
  const std::string restore = previous != nullptr ? previous : "";
  setenv("TMPDIR", temporary.c_str(), 1);
  const PackRun run = PackSpec(TypicalStubSpec(StubResources()), {}, false);
  previous != nullptr ? setenv("TMPDIR", restore.c_str(), 1) : unsetenv("TMPDIR");
  ASSERT_TRUE(run.result.ok()) << run.result.message();
  EXPECT_TRUE(std::filesystem::is_empty(temporary));
  std::string error;
  std::shared_ptr<const ByteSource> source = FileSource::Open(Out(), error);
  PeImage image;
  ResourceTree tree;
  ASSERT_TRUE(ReadPeImage(*source, image).ok());
  ASSERT_TRUE(ReadResourceDirectory(image, source, tree).ok());
  auto bytesOf = [&](const ResourceKey& name) {
    std::vector<uint8_t> bytes;
    const std::vector<ResourceEntry*> found = tree.Find(kToolkitType, name);
    if (found.size() == 1) ReadResourceBytes(found[0]->data, bytes);
    return bytes;
  };
  EXPECT_EQ(bytesOf(ResourceKey::Id(101)), Bytes("102*Setup.exe*10*103*big.bin*300000*104*lib\\Helper.dll*6"));
  const std::vector<uint8_t> stream = bytesOf(ResourceKey::Name(kPackedStreamName));
  EXPECT_LT(stream.size(), 1000u);
  PackedStream packed;
  packed.Open(stream.data(), stream.size());
  const std::pair<uint16_t, std::vector<uint8_t>> files[] = {
      {104, Bytes("helper")}, {103, std::vector<uint8_t>(300000, 0x5A)}, {102, Bytes("MZ program")}};
  for (const auto& [id, expected] : files) {
    const std::vector<uint8_t> recordBytes = bytesOf(ResourceKey::Id(id));
    PackedFileRecord record;
    ASSERT_TRUE(ParsePackedFileRecord(recordBytes.data(), recordBytes.size(), record)) << id;
    EXPECT_EQ(record.filter, id == 102 ? PackedFilter::X86Branches : PackedFilter::None) << id;
    struct : PackedSink {
      bool Write(const uint8_t* data, size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        return true;
      }
      std::vector<uint8_t> bytes;
    } sink;
    ASSERT_EQ(packed.DecodeFile(record, sink, error), Result::Ok) << id << ": " << error;
    EXPECT_EQ(sink.bytes, expected) << id;
  }
}

TEST_F(PackedStub, PayloadReplacesStubToolkitAndKeepsOtherResources) {
  ASSERT_TRUE(PackSpec(TypicalStubSpec(StubResources())).result.ok());
  EXPECT_EQ(DescribeResources(Out()), (std::vector<std::string>{
      "TOOLKIT/101/1033=102*Setup.exe*10*103*big.bin*300000*104*lib\\Helper.dll*6",
      "TOOLKIT/102/1033=MZ program",
      "TOOLKIT/103/1033=" + std::string(300000, 'Z'),
      "TOOLKIT/104/1033=helper",
      "3/1/1033=ICON-BYTES",
      "5/100/1033=DIALOG",
      "24/1/1033=<assembly/>",
  }));
}

// Stubs whose resource section cannot simply grow get a new section at the end instead.
struct AppendCase {
  const char* what;
  SyntheticPeSpec (*spec)();
};

SyntheticPeSpec NonDiscardableAfterResources() {
  SyntheticPeSpec spec = TypicalStubSpec(StubResources());
  spec.sections.push_back({".late", 0xC0000040, Bytes("referenced by code")});
  return spec;
}

SyntheticPeSpec NoResourceSection() {
  SyntheticPeSpec spec = TypicalStubSpec(ResourceTree());
  spec.sections.erase(spec.sections.begin() + 3);
  return spec;
}

SyntheticPeSpec RelocationsIntoLaterSection() {
  SyntheticPeSpec spec = TypicalStubSpec(StubResources());
  spec.relocatedSection = 5;  // the discardable section after the resources
  return spec;
}

SyntheticPeSpec NoResourceSection64() { return As64Bit(NoResourceSection()); }

SyntheticPeSpec DebugDataAfterResources() {
  SyntheticPeSpec spec = TypicalStubSpec(StubResources());
  spec.debugDataSection = 5;
  return spec;
}

TEST_F(PackedStub, DebugDataBeforeTheResourcesAllowsRebuildingInPlace) {
  SyntheticPeSpec spec = TypicalStubSpec(StubResources());
  spec.debugDataSection = 0;
  ASSERT_TRUE(PackSpec(spec).result.ok());
  EXPECT_EQ(ReadImage(ReadBytes(Out())).sections.size(), spec.sections.size());
  EXPECT_EQ(PeLayoutProblems(ReadBytes(Out())), std::vector<std::string>());
}

TEST_F(PackedStub, AppendsANewResourceSectionWhenTheOldOneCannotMove) {
  const AppendCase cases[] = {
      {"a non-discardable section after the resources", NonDiscardableAfterResources},
      {"no resource section", NoResourceSection},
      {"relocations pointing into a section after the resources", RelocationsIntoLaterSection},
      {"debug data in a section after the resources", DebugDataAfterResources},
      {"a 64-bit stub with no resource section", NoResourceSection64},
  };
  for (const AppendCase& c : cases) {
    SCOPED_TRACE(c.what);
    const SyntheticPeSpec spec = c.spec();
    ASSERT_TRUE(PackSpec(spec).result.ok());
    const std::vector<uint8_t> out = ReadBytes(Out());
    EXPECT_EQ(PeLayoutProblems(out), std::vector<std::string>());
    const PeImage before = ReadImage(stubBytes_);
    const PeImage after = ReadImage(out);
    ASSERT_EQ(after.sections.size(), before.sections.size() + 1);
    for (size_t i = 0; i < before.sections.size(); ++i) {
      EXPECT_EQ(after.sections[i].virtualAddress, before.sections[i].virtualAddress);
      EXPECT_EQ(SectionBytes(out, after.sections[i]), SectionBytes(stubBytes_, before.sections[i]));
    }
    EXPECT_EQ(after.directories[kResourceDirectory].rva, after.sections.back().virtualAddress);
    EXPECT_EQ(after.sections.back().pointerToRawData % 0x1000, 0u);
    EXPECT_EQ(DescribeResources(Out()).size(), spec.resources.entries().size() == 0 ? 4u : 7u);
  }
}

TEST_F(PackedStub, SignatureIsDropped) {
  SyntheticPeSpec spec = TypicalStubSpec(StubResources());
  spec.certificate = Bytes(std::string(64, 'S'));
  ASSERT_TRUE(PackSpec(spec).result.ok());
  const std::vector<uint8_t> out = ReadBytes(Out());
  EXPECT_EQ(PeLayoutProblems(out), std::vector<std::string>());
  const PeImage after = ReadImage(out);
  EXPECT_EQ(after.directories[kSecurityDirectory].rva, 0u);
  EXPECT_EQ(after.directories[kSecurityDirectory].size, 0u);
  // What stays is the tail and the signer's zero padding before the table, never the table.
  const std::string text(out.begin(), out.end());
  const std::string symbols = "SYMBOLS-AND-STRINGS\x05";
  const size_t tailEnd = text.rfind(symbols) + symbols.size();
  ASSERT_NE(text.rfind(symbols), std::string::npos);
  EXPECT_LT(text.size() - tailEnd, 8u);
  EXPECT_EQ(text.substr(tailEnd), std::string(text.size() - tailEnd, '\0'));
}

TEST_F(PackedStub, FullSectionTableIsRefusedWhenASectionMustBeAdded) {
  SyntheticPeSpec spec = NoResourceSection();
  spec.spareSectionHeaders = 0;
  // The headers' file alignment leaves some room; fill the table up to the first section.
  while ((0x80 + 24 + 224 + 40 * (spec.sections.size() + 1)) <= AlignUp(0x80 + 24 + 224 + 40 * spec.sections.size(), 0x200)) {
    spec.sections.insert(spec.sections.begin() + 1, {".pad", 0x40000040, Bytes("p")});
  }
  const PackRun run = PackSpec(spec);
  EXPECT_FALSE(run.result.ok());
  EXPECT_NE(run.result.message().find("no room"), std::string::npos) << run.result.message();
  EXPECT_FALSE(std::filesystem::exists(Out()));
}

TEST_F(PackedStub, OversizedPayloadIsRefusedWithoutOutput) {
  // Sparse files: no disk is used, and the size check comes before anything is written. The
  // larger one would wrap the 32-bit header fields if it were not caught first.
  for (uint64_t size : {kMaxImageSize, uint64_t{5} << 30}) {
    SCOPED_TRACE(size);
    const std::filesystem::path huge = scratch_ / "payload" / "huge.bin";
    WriteText(huge, "");
    std::filesystem::resize_file(huge, size);
    const PackRun run = PackSpec(TypicalStubSpec(StubResources()));
    ASSERT_FALSE(run.result.ok());
    EXPECT_NE(run.result.message().find("at most 1536 MiB"), std::string::npos) << run.result.message();
    for (const auto& entry : std::filesystem::directory_iterator(scratch_.path())) {
      EXPECT_EQ(entry.path().filename().string().find("setup.exe"), std::string::npos) << entry.path();
    }
  }
}

// Stubs that are neither 32-bit x86 PE32 nor x86-64 PE32+ files are refused with the reason.
TEST(PackRefusals, BadStubs) {
  struct Case {
    const char* what;
    std::vector<uint8_t> stub;
    const char* message;
  };
  SyntheticPeSpec amd64 = TypicalStubSpec(StubResources());
  amd64.machine = 0x8664;
  SyntheticPeSpec pe32Plus = TypicalStubSpec(StubResources());
  pe32Plus.magic = 0x020b;
  SyntheticPeSpec arm64 = As64Bit(TypicalStubSpec(StubResources()));
  arm64.machine = 0xaa64;
  SyntheticPeSpec unknownMagic = TypicalStubSpec(StubResources());
  unknownMagic.magic = 0x0107;
  std::vector<uint8_t> noPeSignature = BuildSyntheticPe(TypicalStubSpec(StubResources()));
  noPeSignature[0x80] = 'X';
  std::vector<uint8_t> truncated = BuildSyntheticPe(TypicalStubSpec(StubResources()));
  truncated.resize(truncated.size() / 2);
  const Case cases[] = {
      {"text file", Bytes("just text, not a program"), "no MZ header"},
      {"empty file", {}, "no MZ header"},
      {"no PE signature", noPeSignature, "no PE signature"},
      {"x64 machine, PE32 header", BuildSyntheticPe(amd64), "does not match the machine, a PE32+ (x86-64) one"},
      {"i386 machine, PE32+ header", BuildSyntheticPe(pe32Plus), "does not match the machine, a PE32 (i386) one"},
      {"ARM64 machine", BuildSyntheticPe(arm64), "not an i386 (32-bit x86) or x86-64"},
      {"unknown optional header", BuildSyntheticPe(unknownMagic), "unknown magic"},
      {"cut in half", truncated, "extends past the end"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder scratch;
    WriteBytes(scratch / "stub.exe", c.stub);
    const PackRun run = RunPack({"--stub", (scratch / "stub.exe").string(), "--out", (scratch / "out.exe").string(),
                                 "--set", "1=x"});
    ASSERT_FALSE(run.result.ok());
    EXPECT_NE(run.result.message().find(c.message), std::string::npos) << run.result.message();
    EXPECT_FALSE(std::filesystem::exists(scratch / "out.exe"));
  }
}

// Inputs that are missing or clash are refused, and no output appears.
TEST(PackRefusals, BadInputs) {
  ScratchFolder scratch;
  WriteBytes(scratch / "stub.exe", BuildSyntheticPe(TypicalStubSpec(StubResources())));
  WriteText(scratch / "payload" / "Setup.exe", "program");
  WriteText(scratch / "payload" / "Other.exe", "second program");
  WriteText(scratch / "file.txt", "file");
  const std::string stub = (scratch / "stub.exe").string();
  const std::string out = (scratch / "out.exe").string();
  const std::string payload = (scratch / "payload").string();
  const std::string file = (scratch / "file.txt").string();
  struct Case {
    std::vector<std::string> arguments;
    const char* message;
  };
  const Case cases[] = {
      {{"--stub", (scratch / "missing.exe").string()}, "no such file"},
      {{"--stub", scratch.path().string()}, "not a regular file"},
      {{"--stub", stub, "--payload", (scratch / "nothing").string()}, "no such folder"},
      {{"--stub", stub, "--payload", payload}, "more than one .exe"},
      {{"--stub", stub, "--payload", payload, "--program", "Third.exe"}, "no such file in the payload folder"},
      {{"--stub", stub, "--file", "102=a.txt=" + (scratch / "missing.txt").string()}, "no such file"},
      {{"--stub", stub, "--file", "101=a.txt=" + file}, "101 is the manifest"},
      {{"--stub", stub, "--file", "102=a.txt=" + file, "--resource", "TOOLKIT/102=" + file}, "duplicate id"},
      {{"--stub", stub, "--payload", payload, "--program", "Setup.exe", "--file", "50=tool.exe=" + file},
       "the stub would launch it instead"},
      {{"--stub", stub, "--manifest-file", (scratch / "missing.txt").string()}, "no such file"},
      {{"--stub", stub, "--resource", "2/130=" + (scratch / "missing.bmp").string()}, "no such file"},
      {{"--stub", stub, "--file", "102=bad\xC3.txt=" + file}, "not valid UTF-8"},
      {{"--stub", stub, "--file", "102=\xE2\x82\xAC\xE2\x9C\x93.txt=" + file}, "U+2713"},
      {{"--stub", stub, "--out", stub}, "must not be the stub"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    if (std::find(arguments.begin(), arguments.end(), "--out") == arguments.end()) {
      arguments.insert(arguments.end(), {"--out", out});
    }
    SCOPED_TRACE(::testing::PrintToString(arguments));
    const PackRun run = RunPack(arguments);
    ASSERT_FALSE(run.result.ok());
    EXPECT_NE(run.result.message().find(c.message), std::string::npos) << run.result.message();
    EXPECT_FALSE(std::filesystem::exists(out));
  }
}

TEST(PackRefusals, NonAsciiNamesAreStoredInWindows1252WithAWarning) {
  ScratchFolder scratch;
  WriteBytes(scratch / "stub.exe", BuildSyntheticPe(TypicalStubSpec(StubResources())));
  WriteText(scratch / "payload" / "Setup.exe", "program");
  WriteText(scratch / "payload" / "Caf\xC3\xA9 \xE2\x82\xAC.txt", "euro");
  const PackRun run = RunPack({"--stub", (scratch / "stub.exe").string(), "--out", (scratch / "out.exe").string(),
                               "--payload", (scratch / "payload").string()});
  ASSERT_TRUE(run.result.ok()) << run.result.message();
  EXPECT_NE(run.warnings.find("Windows-1252"), std::string::npos);
  EXPECT_EQ(DescribeResources(scratch / "out.exe").front(),
            "TOOLKIT/101/1033=102*Setup.exe*7*103*Caf\xE9 \x80.txt*4");
}

}  // namespace
}  // namespace brennix::pack::testing
