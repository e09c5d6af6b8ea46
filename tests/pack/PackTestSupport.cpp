#include "tests/pack/PackTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <memory>

#include <unistd.h>

#include "tools/pack/LittleEndian.h"
#include "tools/pack/PeImage.h"
#include "tools/pack/ResourceDirectoryReader.h"
#include "tools/pack/ResourceSectionBuilder.h"

namespace brennix::pack::testing {

namespace {

constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kFileAlignment = 0x200;

std::atomic<int> scratchCounter{0};

}  // namespace

ScratchFolder::ScratchFolder() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  path_ = std::filesystem::temp_directory_path() /
          ("brennix-pack-test-" + std::string(test ? test->name() : "x") + "-" +
           std::to_string(::getpid()) + "-" + std::to_string(scratchCounter++));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::filesystem::path& path, const std::string& text) { WriteBytes(path, Bytes(text)); }

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::vector<uint8_t> BuildSyntheticPe(const SyntheticPeSpec& spec) {
  const uint32_t peOffset = 0x80;
  // PE32+ has an 8-byte image base and stack and heap sizes: its data directories start later.
  const bool is64 = spec.magic == 0x020b;
  const uint32_t directories = is64 ? 112 : 96;
  const uint32_t optionalHeaderSize = directories + 16 * 8;
  const uint32_t tableOffset = peOffset + 24 + optionalHeaderSize;
  const uint32_t headerSize = static_cast<uint32_t>(
      AlignUp(tableOffset + 40 * (spec.sections.size() + spec.spareSectionHeaders), kFileAlignment));

  // Sizes and addresses first: the resource directory and the relocations hold RVAs.
  std::vector<uint32_t> rvas;
  std::vector<uint32_t> rawOffsets;
  std::vector<std::vector<uint8_t>> contents;
  uint32_t rva = kSectionAlignment;
  uint32_t raw = headerSize;
  const size_t debugDirectorySection = 1;
  size_t debugDirectoryOffset = 0;
  for (const SyntheticSection& section : spec.sections) {
    std::vector<uint8_t> data = section.data;
    if (spec.debugDataSection >= 0 && contents.size() == debugDirectorySection) {
      debugDirectoryOffset = AlignUp(data.size(), 4);
      data.resize(debugDirectoryOffset + 28, 0);
    }
    if (section.role == SyntheticSection::kResources) data.assign(LayOutResourceSection(spec.resources, 0).size, 0);
    if (section.role == SyntheticSection::kRelocations) data.assign(12, 0);
    rvas.push_back(rva);
    rawOffsets.push_back(data.empty() ? 0 : raw);
    const uint32_t span = std::max<uint32_t>(section.virtualSize, static_cast<uint32_t>(data.size()));
    rva += static_cast<uint32_t>(AlignUp(std::max<uint32_t>(span, 1), kSectionAlignment));
    raw += static_cast<uint32_t>(AlignUp(data.size(), kFileAlignment));
    contents.push_back(std::move(data));
  }
  if (spec.debugDataSection >= 0) {
    uint8_t* entry = &contents[debugDirectorySection][debugDirectoryOffset];
    WriteU32(entry + 12, 2);  // CodeView
    WriteU32(entry + 16, 4);
    WriteU32(entry + 20, rvas[spec.debugDataSection]);
    WriteU32(entry + 24, rawOffsets[spec.debugDataSection]);
  }
  for (size_t i = 0; i < spec.sections.size(); ++i) {
    std::vector<uint8_t>& data = contents[i];
    if (spec.sections[i].role == SyntheticSection::kResources) {
      const ResourceSectionLayout layout = LayOutResourceSection(spec.resources, rvas[i]);
      std::copy(layout.directory.begin(), layout.directory.end(), data.begin());
      for (size_t e = 0; e < spec.resources.entries().size(); ++e) {
        std::vector<uint8_t> bytes;
        ReadResourceBytes(spec.resources.entries()[e].data, bytes);
        std::copy(bytes.begin(), bytes.end(), data.begin() + static_cast<long>(layout.dataOffsets[e]));
      }
    } else if (spec.sections[i].role == SyntheticSection::kRelocations) {
      data.clear();
      AppendU32(data, rvas[spec.relocatedSection]);  // one block for that section's first page
      AppendU32(data, 12);
      AppendU16(data, 0x3010);
      AppendU16(data, 0);
    }
  }

  std::vector<uint8_t> file(raw, 0);
  file[0] = 'M';
  file[1] = 'Z';
  WriteU32(&file[0x3c], peOffset);
  std::copy_n("PE\0\0", 4, file.begin() + peOffset);
  uint8_t* fileHeader = &file[peOffset + 4];
  WriteU16(fileHeader, spec.machine);
  WriteU16(fileHeader + 2, static_cast<uint16_t>(spec.sections.size()));
  WriteU16(fileHeader + 16, optionalHeaderSize);
  WriteU16(fileHeader + 18, 0x0102);
  uint8_t* optional = fileHeader + 20;
  WriteU16(optional, spec.magic);
  uint32_t initializedData = 0;
  for (size_t i = 0; i < spec.sections.size(); ++i) {
    if (spec.sections[i].characteristics & 0x40) initializedData += static_cast<uint32_t>(AlignUp(contents[i].size(), kFileAlignment));
  }
  WriteU32(optional + 8, initializedData);
  WriteU32(optional + 16, kSectionAlignment);  // entry point
  if (is64) {
    WriteU32(optional + 24, 0x40000000);
    WriteU32(optional + 28, 0x1);  // image base 0x140000000
  } else {
    WriteU32(optional + 28, 0x400000);
  }
  WriteU32(optional + 32, kSectionAlignment);
  WriteU32(optional + 36, kFileAlignment);
  WriteU16(optional + 40, 4);
  WriteU16(optional + 48, 4);
  WriteU32(optional + 56, rva);
  WriteU32(optional + 60, headerSize);
  WriteU16(optional + 68, 2);
  WriteU32(optional + directories - 4, 16);
  for (size_t i = 0; i < spec.sections.size(); ++i) {
    const SyntheticSection& section = spec.sections[i];
    uint8_t* entry = &file[tableOffset + 40 * i];
    std::copy_n(section.name.begin(), std::min<size_t>(8, section.name.size()), entry);
    WriteU32(entry + 8, std::max<uint32_t>(section.virtualSize, static_cast<uint32_t>(contents[i].size())));
    WriteU32(entry + 12, rvas[i]);
    WriteU32(entry + 16, static_cast<uint32_t>(AlignUp(contents[i].size(), kFileAlignment)));
    WriteU32(entry + 20, rawOffsets[i]);
    WriteU32(entry + 36, section.characteristics);
    std::copy(contents[i].begin(), contents[i].end(), file.begin() + rawOffsets[i]);
    if (spec.debugDataSection >= 0 && i == debugDirectorySection) {
      WriteU32(optional + directories + 8 * kDebugDirectory, static_cast<uint32_t>(rvas[i] + debugDirectoryOffset));
      WriteU32(optional + directories + 8 * kDebugDirectory + 4, 28);
    }
    const int directory = section.role == SyntheticSection::kResources     ? kResourceDirectory
                          : section.role == SyntheticSection::kRelocations ? kBaseRelocationDirectory
                                                                           : -1;
    if (directory >= 0) {
      WriteU32(optional + directories + 8 * directory, rvas[i]);
      WriteU32(optional + directories + 8 * directory + 4, static_cast<uint32_t>(contents[i].size()));
    }
  }
  // The file grows from here on: address the headers by offset.
  const size_t optionalOffset = peOffset + 24;
  if (!spec.symbolTail.empty()) {
    WriteU32(&file[peOffset + 4 + 8], static_cast<uint32_t>(file.size()));
    WriteU32(&file[peOffset + 4 + 12], 1);
    file.insert(file.end(), spec.symbolTail.begin(), spec.symbolTail.end());
  }
  if (!spec.certificate.empty()) {
    file.resize(AlignUp(file.size(), 8), 0);
    WriteU32(&file[optionalOffset + directories + 8 * kSecurityDirectory], static_cast<uint32_t>(file.size()));
    WriteU32(&file[optionalOffset + directories + 8 * kSecurityDirectory + 4], static_cast<uint32_t>(spec.certificate.size()));
    file.insert(file.end(), spec.certificate.begin(), spec.certificate.end());
  }
  WriteU32(&file[optionalOffset + 64], ReferenceCheckSum(file));
  return file;
}

SyntheticPeSpec As64Bit(SyntheticPeSpec spec) {
  spec.machine = 0x8664;
  spec.magic = 0x020b;
  return spec;
}

SyntheticPeSpec TypicalStubSpec(const ResourceTree& tree) {
  SyntheticPeSpec spec;
  spec.sections.push_back({".text", 0x60000020, std::vector<uint8_t>(0x300, 0xC3)});
  spec.sections.push_back({".data", 0xC0000040, Bytes("data section")});
  spec.sections.push_back({".bss", 0xC0000080, {}, 0x800});
  spec.sections.push_back({".rsrc", 0xC0000040, {}, 0, SyntheticSection::kResources});
  spec.sections.push_back({".reloc", 0x42000040, {}, 0, SyntheticSection::kRelocations});
  spec.sections.push_back({"/4", 0x42000040, std::vector<uint8_t>(0x1234, 0xDB)});
  spec.resources = tree;
  spec.symbolTail = Bytes("SYMBOLS-AND-STRINGS\x05");
  return spec;
}

uint32_t ReferenceCheckSum(const std::vector<uint8_t>& file) {
  const uint32_t checkSumOffset = ReadU32(&file[0x3c]) + 24 + 64;
  uint32_t sum = 0;
  for (size_t i = 0; i < file.size(); i += 2) {
    if (i == checkSumOffset || i == checkSumOffset + 2) continue;
    const uint32_t word = file[i] | (i + 1 < file.size() ? file[i + 1] << 8 : 0);
    sum += word;
    sum = (sum & 0xffff) + (sum >> 16);
  }
  return sum + static_cast<uint32_t>(file.size());
}

std::vector<std::string> PeLayoutProblems(const std::vector<uint8_t>& file) {
  std::vector<std::string> problems;
  MemorySource source(file);
  PeImage image;
  if (PackResult result = ReadPeImage(source, image); !result) return {result.message()};
  uint64_t nextRva = AlignUp(image.sizeOfHeaders, image.sectionAlignment);
  uint64_t rawEnd = image.sizeOfHeaders;
  for (const PeSection& s : image.sections) {
    if (s.virtualAddress != nextRva) problems.push_back(s.name + ": not right after the previous section in memory");
    nextRva = s.virtualAddress + AlignUp(s.VirtualSpan(), image.sectionAlignment);
    if (s.sizeOfRawData == 0) continue;
    if (s.pointerToRawData % image.fileAlignment != 0 || s.sizeOfRawData % image.fileAlignment != 0) {
      problems.push_back(s.name + ": raw data not file-aligned");
    }
    if (s.pointerToRawData < rawEnd) problems.push_back(s.name + ": raw data overlaps what comes before");
    rawEnd = uint64_t{s.pointerToRawData} + s.sizeOfRawData;
  }
  if (image.sizeOfImage != nextRva) problems.push_back("SizeOfImage does not end at the last section");
  for (size_t d = 0; d < image.directories.size(); ++d) {
    const DataDirectory& directory = image.directories[d];
    if (d == kSecurityDirectory || directory.size == 0) continue;
    const int index = image.SectionIndexForRva(directory.rva);
    if (index < 0 || directory.rva + directory.size > image.sections[index].virtualAddress +
                                                          image.sections[index].VirtualSpan()) {
      problems.push_back("data directory " + std::to_string(d) + " is not inside one section");
    }
  }
  const uint32_t stored = ReadU32(&file[image.CheckSumOffset()]);
  if (stored != ReferenceCheckSum(file)) problems.push_back("wrong check sum");
  return problems;
}

std::vector<std::string> DescribeResources(const std::filesystem::path& imagePath) {
  std::string error;
  std::shared_ptr<const ByteSource> source = FileSource::Open(imagePath, error);
  PeImage image;
  ResourceTree tree;
  if (!source) return {error};
  if (PackResult result = ReadPeImage(*source, image); !result) return {result.message()};
  if (PackResult result = ReadResourceDirectory(image, source, tree); !result) return {result.message()};
  std::vector<std::string> lines;
  for (const ResourceEntry& entry : tree.entries()) {
    std::vector<uint8_t> bytes;
    ReadResourceBytes(entry.data, bytes);
    lines.push_back(entry.type.Describe() + "/" + entry.name.Describe() + "/" + std::to_string(entry.language) +
                    "=" + std::string(bytes.begin(), bytes.end()));
  }
  return lines;
}

}  // namespace brennix::pack::testing
