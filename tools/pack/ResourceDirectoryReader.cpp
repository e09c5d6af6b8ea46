#include "tools/pack/ResourceDirectoryReader.h"

#include <set>

#include "tools/pack/LittleEndian.h"

namespace brennix::pack {

namespace {

constexpr uint32_t kSubdirectoryFlag = 0x80000000;
constexpr uint32_t kMaxTableEntries = 65536;  // ids are 16-bit; more entries than that means garbage

struct DirectoryWalk {
  const PeImage& image;
  const std::shared_ptr<const ByteSource>& source;
  uint64_t sectionOffset;  // file offset of the directory root
  uint32_t directorySize;  // bytes from the root that the directory may use
  ResourceTree& tree;
  std::set<uint32_t> visitedTables;
};

PackResult ReadBytes(const DirectoryWalk& walk, uint32_t offset, uint32_t size, std::vector<uint8_t>& out) {
  if (offset > walk.directorySize || size > walk.directorySize - offset) {
    return PackResult::Fail("the resource directory points outside its section");
  }
  out.resize(size);
  if (!walk.source->ReadAt(walk.sectionOffset + offset, out.data(), size)) {
    return PackResult::Fail("the resource directory cannot be read");
  }
  return PackResult::Ok();
}

PackResult ReadKey(const DirectoryWalk& walk, uint32_t nameField, ResourceKey& key) {
  if ((nameField & kSubdirectoryFlag) == 0) {
    if (nameField > 0xffff) return PackResult::Fail("the resource directory has an id above 65535");
    key = ResourceKey::Id(static_cast<uint16_t>(nameField));
    return PackResult::Ok();
  }
  const uint32_t offset = nameField & ~kSubdirectoryFlag;
  std::vector<uint8_t> bytes;
  if (PackResult result = ReadBytes(walk, offset, 2, bytes); !result) return result;
  const uint16_t length = ReadU16(bytes.data());
  if (PackResult result = ReadBytes(walk, offset + 2, 2u * length, bytes); !result) return result;
  std::u16string name(length, u'\0');
  for (uint16_t i = 0; i < length; ++i) name[i] = static_cast<char16_t>(ReadU16(&bytes[2u * i]));
  key = ResourceKey::Name(std::move(name));
  return PackResult::Ok();
}

PackResult ReadDataEntry(DirectoryWalk& walk, uint32_t offset, ResourceEntry& entry) {
  std::vector<uint8_t> bytes;
  if (PackResult result = ReadBytes(walk, offset, 16, bytes); !result) return result;
  const uint32_t rva = ReadU32(bytes.data());
  const uint32_t size = ReadU32(bytes.data() + 4);
  entry.codePage = ReadU32(bytes.data() + 8);
  uint64_t fileOffset = 0;
  if (!walk.image.RvaToFileOffset(rva, size, fileOffset)) {
    return PackResult::Fail("resource " + entry.type.Describe() + "/" + entry.name.Describe() +
                            " has data outside the file's sections");
  }
  entry.data.source = walk.source;
  entry.data.offset = fileOffset;
  entry.data.size = size;
  return walk.tree.Add(std::move(entry));
}

// Reads the table at offset; level 0 holds types, 1 names, 2 languages.
PackResult ReadTable(DirectoryWalk& walk, uint32_t offset, int level, const ResourceEntry& path) {
  if (!walk.visitedTables.insert(offset).second) {
    return PackResult::Fail("the resource directory refers to a table twice");
  }
  std::vector<uint8_t> header;
  if (PackResult result = ReadBytes(walk, offset, 16, header); !result) return result;
  const uint32_t count = uint32_t{ReadU16(&header[12])} + ReadU16(&header[14]);
  if (count > kMaxTableEntries) return PackResult::Fail("the resource directory has an oversized table");
  std::vector<uint8_t> table;
  if (PackResult result = ReadBytes(walk, offset + 16, 8 * count, table); !result) return result;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t nameField = ReadU32(&table[8 * i]);
    const uint32_t target = ReadU32(&table[8 * i + 4]);
    ResourceEntry entry = path;
    if (level < 2) {
      ResourceKey key;
      if (PackResult result = ReadKey(walk, nameField, key); !result) return result;
      (level == 0 ? entry.type : entry.name) = std::move(key);
    } else {
      if (nameField > 0xffff) return PackResult::Fail("the resource directory has a named language");
      entry.language = static_cast<uint16_t>(nameField);
    }
    const bool isTable = (target & kSubdirectoryFlag) != 0;
    if (isTable != (level < 2)) {
      return PackResult::Fail("the resource directory is not three levels deep");
    }
    PackResult result = isTable ? ReadTable(walk, target & ~kSubdirectoryFlag, level + 1, entry)
                                : ReadDataEntry(walk, target, entry);
    if (!result) return result;
  }
  return PackResult::Ok();
}

}  // namespace

PackResult ReadResourceDirectory(const PeImage& image, const std::shared_ptr<const ByteSource>& source,
                                 ResourceTree& tree) {
  tree = ResourceTree();
  const DataDirectory& resources = image.directories[kResourceDirectory];
  if (resources.rva == 0 && resources.size == 0) return PackResult::Ok();
  const int sectionIndex = image.SectionIndexForRva(resources.rva);
  if (sectionIndex < 0) return PackResult::Fail("the resource directory lies outside the sections");
  const PeSection& section = image.sections[sectionIndex];
  // Linkers do not agree on whether the directory size covers the data, so the whole rest of
  // the section's raw data is the bound.
  const uint32_t inSection = resources.rva - section.virtualAddress;
  if (inSection >= section.sizeOfRawData) {
    return PackResult::Fail("the resource directory lies outside the file");
  }
  DirectoryWalk walk{image, source, uint64_t{section.pointerToRawData} + inSection,
                     section.sizeOfRawData - inSection, tree, {}};
  return ReadTable(walk, 0, 0, ResourceEntry());
}

}  // namespace brennix::pack
