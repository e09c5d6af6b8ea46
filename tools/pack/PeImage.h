// The parts of a PE file (the 32-bit stub, or a 64-bit one) that packing reads and rewrites: headers, section table, data
// directories and the pages that carry base relocations.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/pack/ByteSource.h"
#include "tools/pack/PackResult.h"

namespace brennix::pack {

enum DataDirectoryIndex : size_t {
  kResourceDirectory = 2,
  kSecurityDirectory = 4,  // holds a file offset, not an RVA
  kBaseRelocationDirectory = 5,
  kDebugDirectory = 6,
};

constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kSectionContainsInitializedData = 0x00000040;
constexpr uint32_t kSectionDiscardable = 0x02000000;
constexpr uint32_t kSectionReadable = 0x40000000;

struct DataDirectory {
  uint32_t rva = 0;
  uint32_t size = 0;
};

struct PeSection {
  std::array<uint8_t, kSectionHeaderSize> header{};  // the raw entry, so unknown fields survive
  std::string name;                                  // up to 8 bytes, as stored
  uint32_t virtualSize = 0;
  uint32_t virtualAddress = 0;
  uint32_t sizeOfRawData = 0;
  uint32_t pointerToRawData = 0;
  uint32_t characteristics = 0;

  // Bytes of address space the section takes before alignment.
  uint32_t VirtualSpan() const { return virtualSize != 0 ? virtualSize : sizeOfRawData; }
  bool ContainsRva(uint32_t rva) const {
    return rva >= virtualAddress && rva - virtualAddress < VirtualSpan();
  }
};

// Offsets are from the start of the file.
struct PeImage {
  uint64_t fileSize = 0;
  std::vector<uint8_t> headers;  // the first sizeOfHeaders bytes of the file
  uint32_t fileHeaderOffset = 0;
  uint32_t optionalHeaderOffset = 0;
  uint32_t directoryTableOffset = 0;  // where the data directories begin (PE32 and PE32+ differ)
  uint32_t sectionTableOffset = 0;
  uint32_t pointerToSymbolTable = 0;
  uint32_t sectionAlignment = 0;
  uint32_t fileAlignment = 0;
  uint32_t sizeOfHeaders = 0;
  uint32_t sizeOfImage = 0;
  uint32_t sizeOfInitializedData = 0;
  uint32_t directoryCount = 0;           // entries present in the header
  std::vector<DataDirectory> directories;  // always 16; absent entries are empty
  std::vector<PeSection> sections;
  std::vector<uint32_t> relocatedPages;  // page RVAs named by the base relocation blocks
  std::vector<uint32_t> debugDataRvas;   // where the debug directory's entries point (0: none)
  std::vector<uint32_t> debugDataOffsets;  // the same entries' file offsets

  uint32_t CheckSumOffset() const { return optionalHeaderOffset + 64; }
  uint32_t DirectoryOffset(size_t index) const {
    return directoryTableOffset + static_cast<uint32_t>(index) * 8;
  }
  // End of the last section's raw data; what follows is the file's tail (symbols, signature).
  uint64_t SectionDataEnd() const;
  // Index of the section holding rva, or -1.
  int SectionIndexForRva(uint32_t rva) const;
  // File offset of the size bytes at rva. Returns false unless they lie wholly in one section's raw data.
  bool RvaToFileOffset(uint32_t rva, uint32_t size, uint64_t& offset) const;
};

// Reads and checks the headers of a PE32 image for the i386 machine or a PE32+ image for x86-64
// (a 64-bit stub built from the same sources). Fails, saying what is wrong,
// when source is not such a file or its headers or section table are inconsistent with its size.
PackResult ReadPeImage(const ByteSource& source, PeImage& image);

}  // namespace brennix::pack
