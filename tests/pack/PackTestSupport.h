// Helpers for the packer's native tests: scratch folders, files, small synthetic PE images and
// an independent check of the PE invariants a packed file must keep.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/pack/ResourceTree.h"

namespace brennix::pack::testing {

// A fresh folder under the system temp folder, removed with everything in it at destruction.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
void WriteText(const std::filesystem::path& path, const std::string& text);
std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
std::vector<uint8_t> Bytes(const std::string& text);

struct SyntheticSection {
  std::string name;
  uint32_t characteristics = 0;
  std::vector<uint8_t> data;  // raw data; an empty section takes no file space
  uint32_t virtualSize = 0;   // 0: the data's size
  enum Role { kPlain, kResources, kRelocations } role = kPlain;
};

struct SyntheticPeSpec {
  uint16_t machine = 0x014c;
  uint16_t magic = 0x010b;
  std::vector<SyntheticSection> sections;
  ResourceTree resources;            // contents of the kResources section
  std::vector<uint8_t> symbolTail;   // COFF symbols and strings after the sections
  std::vector<uint8_t> certificate;  // certificate table at the end of the file
  uint32_t spareSectionHeaders = 4;  // room left in the headers for more sections
  size_t relocatedSection = 0;       // the section whose first page the relocations name
  int debugDataSection = -1;         // when set, section 1 holds a debug directory pointing there
};

// Builds the image: section alignment 0x1000, file alignment 0x200; the relocation section
// holds one block, for the first page of section relocatedSection.
std::vector<uint8_t> BuildSyntheticPe(const SyntheticPeSpec& spec);

// A typical stub: .text, .data, .rsrc (holding tree), a discardable .reloc and debug section,
// and a symbol table in the tail.
SyntheticPeSpec TypicalStubSpec(const ResourceTree& tree);

// The same image as a 64-bit (x86-64, PE32+) file.
SyntheticPeSpec As64Bit(SyntheticPeSpec spec);

// PE check sum computed in one pass over the whole file, independent of the packer's streaming one.
uint32_t ReferenceCheckSum(const std::vector<uint8_t>& file);

// What a loader and signing tool rely on: aligned, ordered, non-overlapping sections inside the
// file, SizeOfImage, data directories inside their sections, and the check sum. Returns the
// problems found, empty for a sound file.
std::vector<std::string> PeLayoutProblems(const std::vector<uint8_t>& file);

// Entries of a tree read back from an image file, as "TYPE/NAME/LANG=<bytes as text>" lines.
std::vector<std::string> DescribeResources(const std::filesystem::path& image);

}  // namespace brennix::pack::testing
