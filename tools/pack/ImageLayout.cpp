#include "tools/pack/ImageLayout.h"

#include <algorithm>
#include <cstring>

#include "tools/pack/LittleEndian.h"

namespace brennix::pack {

namespace {

constexpr uint32_t kNewResourceSectionFlags = kSectionContainsInitializedData | kSectionReadable;

// The loader maps a section straight from the file only when its data starts on a page of the
// file; anywhere else it reads the whole section into memory when the process starts, which for
// a large payload costs as much as unpacking it.
constexpr uint64_t kPageSize = 0x1000;

PackResult TooLarge(uint64_t size) {
  return PackResult::Fail("the packed image would be " + std::to_string(size >> 20) +
                          " MiB; a 32-bit setup file holds at most " + std::to_string(kMaxImageSize >> 20) + " MiB");
}

bool LiesAfter(const PeSection& section, const PeSection& resources) {
  return section.virtualAddress > resources.virtualAddress;
}

// Section table entry from the section's fields, keeping what we do not touch.
void StoreSectionHeader(const PeSection& section, uint8_t* entry) {
  std::memcpy(entry, section.header.data(), kSectionHeaderSize);
  WriteU32(entry + 8, section.virtualSize);
  WriteU32(entry + 12, section.virtualAddress);
  WriteU32(entry + 16, section.sizeOfRawData);
  WriteU32(entry + 20, section.pointerToRawData);
  WriteU32(entry + 36, section.characteristics);
}

// Ranges of the stub after its sections that are kept: all but the certificate table.
std::vector<CopyRange> TailRanges(const PeImage& image) {
  const uint64_t start = image.SectionDataEnd();
  std::vector<CopyRange> tail;
  const DataDirectory& certificates = image.directories[kSecurityDirectory];
  auto add = [&](uint64_t from, uint64_t to) {
    if (to > from) tail.push_back({from, to - from, 0});
  };
  if (certificates.size == 0) {
    add(start, image.fileSize);
  } else {
    add(start, certificates.rva);
    add(uint64_t{certificates.rva} + certificates.size, image.fileSize);
  }
  return tail;
}

}  // namespace

bool CanRebuildResourceSection(const PeImage& image, size_t& sectionIndex) {
  const DataDirectory& resources = image.directories[kResourceDirectory];
  if (resources.size == 0) return false;
  const int index = image.SectionIndexForRva(resources.rva);
  if (index < 0) return false;
  const PeSection& section = image.sections[index];
  if (section.virtualAddress != resources.rva || section.sizeOfRawData == 0) return false;
  const uint64_t rawEnd = uint64_t{section.pointerToRawData} + section.sizeOfRawData;
  for (const PeSection& later : image.sections) {
    if (!LiesAfter(later, section)) continue;
    // Moving a section in memory is safe only when no loaded code or data refers to it.
    if ((later.characteristics & kSectionDiscardable) == 0) return false;
    if (later.sizeOfRawData != 0 && later.pointerToRawData < rawEnd) return false;
    for (uint32_t page : image.relocatedPages) {
      if (later.ContainsRva(page)) return false;
    }
    for (uint32_t rva : image.debugDataRvas) {
      if (later.ContainsRva(rva)) return false;
    }
    for (size_t d = 0; d < image.directories.size(); ++d) {
      const DataDirectory& directory = image.directories[d];
      if (d == kSecurityDirectory || d == kBaseRelocationDirectory || directory.size == 0) continue;
      if (later.ContainsRva(directory.rva)) return false;
    }
  }
  // Other tables inside the resource section would be lost with it.
  for (size_t d = 0; d < image.directories.size(); ++d) {
    if (d != kResourceDirectory && d != kSecurityDirectory && image.directories[d].size != 0 &&
        section.ContainsRva(image.directories[d].rva)) {
      return false;
    }
  }
  for (uint32_t offset : image.debugDataOffsets) {
    if (offset >= section.pointerToRawData) return false;
  }
  // Raw data placed after the resource section must belong to sections that move with it.
  for (const PeSection& other : image.sections) {
    if (!LiesAfter(other, section) && &other != &section && other.sizeOfRawData != 0 &&
        other.pointerToRawData >= rawEnd) {
      return false;
    }
  }
  sectionIndex = static_cast<size_t>(index);
  return true;
}

PackResult PlanImageLayout(const PeImage& image, uint64_t resourceSize, ImageLayout& layout) {
  layout = ImageLayout();
  // Checked first, so that no size below can wrap the 32-bit header fields.
  if (resourceSize > kMaxImageSize) return TooLarge(resourceSize);
  std::vector<PeSection> sections = image.sections;
  const uint64_t rawSize = AlignUp(resourceSize, image.fileAlignment);
  const uint64_t virtualSize = AlignUp(resourceSize, image.sectionAlignment);
  int64_t rawShift = 0;
  int64_t virtualShift = 0;
  size_t resourceIndex = 0;
  uint64_t oldResourceRawSize = 0;
  const uint64_t tailStart = image.SectionDataEnd();

  if (CanRebuildResourceSection(image, resourceIndex)) {
    PeSection& resources = sections[resourceIndex];
    oldResourceRawSize = resources.sizeOfRawData;
    const uint64_t oldRawEnd = uint64_t{resources.pointerToRawData} + resources.sizeOfRawData;
    uint64_t oldNextRva = AlignUp(uint64_t{resources.virtualAddress} + resources.VirtualSpan(),
                                  image.sectionAlignment);
    for (const PeSection& later : image.sections) {
      if (LiesAfter(later, resources)) oldNextRva = std::min<uint64_t>(oldNextRva, later.virtualAddress);
    }
    resources.pointerToRawData = static_cast<uint32_t>(AlignUp(resources.pointerToRawData, kPageSize));
    rawShift = static_cast<int64_t>(resources.pointerToRawData + rawSize) - static_cast<int64_t>(oldRawEnd);
    virtualShift = static_cast<int64_t>(resources.virtualAddress + virtualSize) -
                   static_cast<int64_t>(oldNextRva);
    for (PeSection& section : sections) {
      if (!LiesAfter(section, resources)) continue;
      section.virtualAddress = static_cast<uint32_t>(section.virtualAddress + virtualShift);
      if (section.sizeOfRawData != 0) {
        section.pointerToRawData = static_cast<uint32_t>(section.pointerToRawData + rawShift);
      }
    }
    resources.virtualSize = static_cast<uint32_t>(resourceSize);
    resources.sizeOfRawData = static_cast<uint32_t>(rawSize);
  } else {
    for (uint32_t offset : image.debugDataOffsets) {
      if (offset >= tailStart) return PackResult::Fail("the stub's debug data lies after its sections and cannot move");
    }
    const uint64_t tableEnd =
        image.sectionTableOffset + uint64_t{kSectionHeaderSize} * (image.sections.size() + 1);
    uint64_t firstRaw = image.sizeOfHeaders;
    for (const PeSection& s : image.sections) {
      if (s.sizeOfRawData != 0) firstRaw = std::min<uint64_t>(firstRaw, s.pointerToRawData);
    }
    const auto slot = image.headers.begin() + image.sectionTableOffset +
                      kSectionHeaderSize * image.sections.size();
    if (tableEnd > firstRaw ||
        std::any_of(slot, slot + kSectionHeaderSize, [](uint8_t b) { return b != 0; })) {
      return PackResult::Fail("the stub's section table has no room for a resource section");
    }
    PeSection resources;
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::memcpy(resources.header.data(), name, sizeof name);
    resources.name = ".rsrc";
    uint64_t imageEnd = 0;
    for (const PeSection& s : image.sections) {
      imageEnd = std::max<uint64_t>(imageEnd, uint64_t{s.virtualAddress} + s.VirtualSpan());
    }
    resources.virtualAddress = static_cast<uint32_t>(
        AlignUp(std::max<uint64_t>(imageEnd, image.sizeOfHeaders), image.sectionAlignment));
    resources.pointerToRawData =
        static_cast<uint32_t>(AlignUp(tailStart, std::max<uint64_t>(image.fileAlignment, kPageSize)));
    resources.virtualSize = static_cast<uint32_t>(resourceSize);
    resources.sizeOfRawData = static_cast<uint32_t>(rawSize);
    resources.characteristics = kNewResourceSectionFlags;
    resourceIndex = sections.size();
    sections.push_back(resources);
    rawShift = static_cast<int64_t>(resources.pointerToRawData + rawSize) - static_cast<int64_t>(tailStart);
    layout.resourceSectionAppended = true;
  }

  uint64_t sizeOfImage = 0;
  for (const PeSection& s : sections) {
    sizeOfImage = std::max<uint64_t>(sizeOfImage, AlignUp(uint64_t{s.virtualAddress} + s.VirtualSpan(),
                                                          image.sectionAlignment));
  }
  if (sizeOfImage > kMaxImageSize) return TooLarge(sizeOfImage);
  const PeSection& resources = sections[resourceIndex];
  layout.resourceRva = resources.virtualAddress;
  layout.resourceFileOffset = resources.pointerToRawData;
  layout.resourceRawSize = rawSize;

  // Everything from the stub except the rebuilt resource section and the certificate table.
  for (size_t i = 0; i < image.sections.size(); ++i) {
    if (i == resourceIndex && !layout.resourceSectionAppended) continue;
    if (image.sections[i].sizeOfRawData == 0) continue;
    layout.copies.push_back({image.sections[i].pointerToRawData, image.sections[i].sizeOfRawData,
                             sections[i].pointerToRawData});
  }
  uint64_t destination = static_cast<uint64_t>(static_cast<int64_t>(tailStart) + rawShift);
  std::vector<CopyRange> tail = TailRanges(image);
  for (CopyRange& range : tail) {
    range.destination = destination;
    destination += range.size;
    layout.copies.push_back(range);
  }
  std::sort(layout.copies.begin(), layout.copies.end(),
            [](const CopyRange& a, const CopyRange& b) { return a.destination < b.destination; });
  layout.fileSize = std::max<uint64_t>(destination, layout.resourceFileOffset + rawSize);

  // Headers.
  layout.headers = image.headers;
  uint8_t* headers = layout.headers.data();
  WriteU16(headers + image.fileHeaderOffset + 2, static_cast<uint16_t>(sections.size()));
  for (const CopyRange& range : tail) {
    // The COFF symbol table (and the string table with the long section names) sits in the tail.
    const uint64_t symbols = image.pointerToSymbolTable;
    if (symbols >= range.source && symbols < range.source + range.size) {
      WriteU32(headers + image.fileHeaderOffset + 8,
               static_cast<uint32_t>(range.destination + (symbols - range.source)));
    }
  }
  const int64_t initializedData = static_cast<int64_t>(image.sizeOfInitializedData) -
                                  static_cast<int64_t>(oldResourceRawSize) + static_cast<int64_t>(rawSize);
  WriteU32(headers + image.optionalHeaderOffset + 8, static_cast<uint32_t>(std::max<int64_t>(initializedData, 0)));
  WriteU32(headers + image.optionalHeaderOffset + 56, static_cast<uint32_t>(sizeOfImage));
  WriteU32(headers + image.CheckSumOffset(), 0);
  for (size_t d = 0; d < image.directoryCount; ++d) {
    DataDirectory directory = image.directories[d];
    if (d == kResourceDirectory) {
      directory = {layout.resourceRva, static_cast<uint32_t>(resourceSize)};
    } else if (d == kSecurityDirectory) {
      directory = {};
    } else if (directory.size != 0 && !layout.resourceSectionAppended) {
      const PeSection& oldResources = image.sections[resourceIndex];
      if (directory.rva > oldResources.virtualAddress) {
        directory.rva = static_cast<uint32_t>(directory.rva + virtualShift);
      }
    }
    WriteU32(headers + image.DirectoryOffset(d), directory.rva);
    WriteU32(headers + image.DirectoryOffset(d) + 4, directory.size);
  }
  for (size_t i = 0; i < sections.size(); ++i) {
    StoreSectionHeader(sections[i], headers + image.sectionTableOffset + kSectionHeaderSize * i);
  }
  layout.checkSumOffset = image.CheckSumOffset();
  return PackResult::Ok();
}

}  // namespace brennix::pack
