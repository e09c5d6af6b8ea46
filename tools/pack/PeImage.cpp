#include "tools/pack/PeImage.h"

#include <algorithm>

#include "tools/pack/LittleEndian.h"

namespace brennix::pack {

namespace {

// The stubs accepted: the shipped 32-bit one, and a 64-bit one built from the same sources.
// The formats differ only in where the optional header's tail (the data directories) begins;
// every field packing and tagging touch before it sits at the same offset in both.
struct PeFormat {
  uint16_t machine;
  uint16_t magic;
  uint32_t fixedOptionalHeaderSize;  // up to and including NumberOfRvaAndSizes
  const char* name;
};
constexpr PeFormat kAcceptedFormats[] = {
    {0x014c, 0x010b, 96, "PE32 (i386)"},
    {0x8664, 0x020b, 112, "PE32+ (x86-64)"},
};
constexpr uint32_t kLargestFixedOptionalHeaderSize = 112;
constexpr uint32_t kMaxHeaderSize = 1u << 20;  // far above any linker's output; bounds the read
constexpr uint32_t kMaxTableBytes = 64u << 20;  // relocation or debug table; bounds the read

bool IsPowerOfTwo(uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

PackResult ReadRelocatedPages(const ByteSource& source, PeImage& image) {
  const DataDirectory& relocations = image.directories[kBaseRelocationDirectory];
  if (relocations.size == 0) return PackResult::Ok();
  uint64_t offset = 0;
  if (relocations.size > kMaxTableBytes ||
      !image.RvaToFileOffset(relocations.rva, relocations.size, offset)) {
    return PackResult::Fail("the base relocation table lies outside the sections");
  }
  std::vector<uint8_t> table(relocations.size);
  if (!source.ReadAt(offset, table.data(), table.size())) {
    return PackResult::Fail("the base relocation table cannot be read");
  }
  for (size_t position = 0; position + 8 <= table.size();) {
    const uint32_t pageRva = ReadU32(&table[position]);
    const uint32_t blockSize = ReadU32(&table[position + 4]);
    if (blockSize < 8) break;  // the loader stops at a block too small to hold its own header
    image.relocatedPages.push_back(pageRva);
    position += blockSize;
  }
  return PackResult::Ok();
}

// The debug directory's entries hold both an RVA and a file offset of their data, which must
// stay valid if sections move.
PackResult ReadDebugData(const ByteSource& source, PeImage& image) {
  constexpr uint32_t kEntrySize = 28;
  const DataDirectory& debug = image.directories[kDebugDirectory];
  if (debug.size == 0) return PackResult::Ok();
  uint64_t offset = 0;
  if (debug.size > kMaxTableBytes || !image.RvaToFileOffset(debug.rva, debug.size, offset)) {
    return PackResult::Fail("the debug directory lies outside the sections");
  }
  std::vector<uint8_t> table(debug.size);
  if (!source.ReadAt(offset, table.data(), table.size())) return PackResult::Fail("the debug directory cannot be read");
  for (size_t position = 0; position + kEntrySize <= table.size(); position += kEntrySize) {
    image.debugDataRvas.push_back(ReadU32(&table[position + 20]));
    image.debugDataOffsets.push_back(ReadU32(&table[position + 24]));
  }
  return PackResult::Ok();
}

}  // namespace

uint64_t PeImage::SectionDataEnd() const {
  uint64_t end = sizeOfHeaders;
  for (const PeSection& section : sections) {
    if (section.sizeOfRawData != 0) {
      end = std::max<uint64_t>(end, uint64_t{section.pointerToRawData} + section.sizeOfRawData);
    }
  }
  return end;
}

int PeImage::SectionIndexForRva(uint32_t rva) const {
  for (size_t i = 0; i < sections.size(); ++i) {
    if (sections[i].ContainsRva(rva)) return static_cast<int>(i);
  }
  return -1;
}

bool PeImage::RvaToFileOffset(uint32_t rva, uint32_t size, uint64_t& offset) const {
  const int index = SectionIndexForRva(rva);
  if (index < 0) return false;
  const PeSection& section = sections[index];
  const uint64_t inSection = rva - section.virtualAddress;
  if (inSection + size > section.sizeOfRawData) return false;
  offset = section.pointerToRawData + inSection;
  return true;
}

PackResult ReadPeImage(const ByteSource& source, PeImage& image) {
  image = PeImage();
  image.fileSize = source.Size();
  uint8_t dos[64];
  if (!source.ReadAt(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') {
    return PackResult::Fail("not a PE file (no MZ header)");
  }
  const uint32_t peOffset = ReadU32(dos + 0x3c);
  uint8_t signature[4 + 20];
  if (!source.ReadAt(peOffset, signature, sizeof signature) || signature[0] != 'P' ||
      signature[1] != 'E' || signature[2] != 0 || signature[3] != 0) {
    return PackResult::Fail("not a PE file (no PE signature)");
  }
  const uint8_t* fileHeader = signature + 4;
  const uint16_t machine = ReadU16(fileHeader);
  const PeFormat* format = std::find_if(std::begin(kAcceptedFormats), std::end(kAcceptedFormats),
                                        [machine](const PeFormat& f) { return f.machine == machine; });
  if (format == std::end(kAcceptedFormats)) {
    return PackResult::Fail("not an i386 (32-bit x86) or x86-64 PE file");
  }
  const uint16_t sectionCount = ReadU16(fileHeader + 2);
  const uint16_t optionalHeaderSize = ReadU16(fileHeader + 16);
  image.fileHeaderOffset = peOffset + 4;
  image.optionalHeaderOffset = image.fileHeaderOffset + 20;
  image.sectionTableOffset = image.optionalHeaderOffset + optionalHeaderSize;
  image.pointerToSymbolTable = ReadU32(fileHeader + 8);

  uint8_t fixed[kLargestFixedOptionalHeaderSize];
  const uint32_t fixedSize = format->fixedOptionalHeaderSize;
  if (optionalHeaderSize < fixedSize || !source.ReadAt(image.optionalHeaderOffset, fixed, fixedSize)) {
    return PackResult::Fail("the PE optional header is truncated");
  }
  const uint16_t magic = ReadU16(fixed);
  if (std::none_of(std::begin(kAcceptedFormats), std::end(kAcceptedFormats),
                   [magic](const PeFormat& f) { return f.magic == magic; })) {
    return PackResult::Fail("the PE optional header has an unknown magic number");
  }
  if (magic != format->magic) {
    return PackResult::Fail(std::string("the PE optional header does not match the machine, a ") + format->name + " one");
  }
  image.directoryTableOffset = image.optionalHeaderOffset + fixedSize;
  image.sizeOfInitializedData = ReadU32(fixed + 8);
  image.sectionAlignment = ReadU32(fixed + 32);
  image.fileAlignment = ReadU32(fixed + 36);
  image.sizeOfImage = ReadU32(fixed + 56);
  image.sizeOfHeaders = ReadU32(fixed + 60);
  const uint32_t directoryCount = ReadU32(fixed + fixedSize - 4);
  if (!IsPowerOfTwo(image.sectionAlignment) || !IsPowerOfTwo(image.fileAlignment) ||
      image.fileAlignment > image.sectionAlignment) {
    return PackResult::Fail("the PE header has invalid section or file alignment");
  }
  if (directoryCount > 16 || fixedSize + 8 * directoryCount > optionalHeaderSize) {
    return PackResult::Fail("the PE header has an invalid number of data directories");
  }
  if (directoryCount <= kResourceDirectory) {
    return PackResult::Fail("the PE header has no resource directory entry");
  }
  const uint64_t tableEnd = uint64_t{image.sectionTableOffset} + kSectionHeaderSize * sectionCount;
  if (image.sizeOfHeaders > kMaxHeaderSize || image.sizeOfHeaders > image.fileSize ||
      tableEnd > image.sizeOfHeaders) {
    return PackResult::Fail("the PE headers do not fit their declared size");
  }
  image.headers.resize(image.sizeOfHeaders);
  if (!source.ReadAt(0, image.headers.data(), image.headers.size())) {
    return PackResult::Fail("the PE headers cannot be read");
  }
  image.directoryCount = directoryCount;
  for (uint32_t i = 0; i < directoryCount; ++i) {
    const uint8_t* entry = &image.headers[image.DirectoryOffset(i)];
    image.directories.push_back({ReadU32(entry), ReadU32(entry + 4)});
  }
  image.directories.resize(16);

  for (uint32_t i = 0; i < sectionCount; ++i) {
    PeSection section;
    const uint8_t* entry = &image.headers[image.sectionTableOffset + i * kSectionHeaderSize];
    std::copy(entry, entry + kSectionHeaderSize, section.header.begin());
    section.name.assign(reinterpret_cast<const char*>(entry),
                        std::find(entry, entry + 8, 0) - entry);
    section.virtualSize = ReadU32(entry + 8);
    section.virtualAddress = ReadU32(entry + 12);
    section.sizeOfRawData = ReadU32(entry + 16);
    section.pointerToRawData = ReadU32(entry + 20);
    section.characteristics = ReadU32(entry + 36);
    if (section.sizeOfRawData != 0 &&
        uint64_t{section.pointerToRawData} + section.sizeOfRawData > image.fileSize) {
      return PackResult::Fail("section " + section.name + " extends past the end of the file");
    }
    if (section.virtualAddress % image.sectionAlignment != 0) {
      return PackResult::Fail("section " + section.name + " is not aligned in memory");
    }
    if (!image.sections.empty() &&
        section.virtualAddress < uint64_t{image.sections.back().virtualAddress} +
                                     image.sections.back().VirtualSpan()) {
      return PackResult::Fail("section " + section.name + " overlaps the section before it");
    }
    image.sections.push_back(section);
  }
  const DataDirectory& security = image.directories[kSecurityDirectory];
  if (security.size != 0 &&
      (security.rva < image.SectionDataEnd() || uint64_t{security.rva} + security.size > image.fileSize)) {
    return PackResult::Fail("the certificate table overlaps the sections or passes the end of the file");
  }
  if (PackResult result = ReadRelocatedPages(source, image); !result) return result;
  return ReadDebugData(source, image);
}

}  // namespace brennix::pack
