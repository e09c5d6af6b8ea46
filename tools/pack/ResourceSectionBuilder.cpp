#include "tools/pack/ResourceSectionBuilder.h"

#include <map>

#include "tools/pack/LittleEndian.h"

namespace brennix::pack {

namespace {

constexpr uint32_t kSubdirectoryFlag = 0x80000000;
constexpr uint32_t kTableHeaderSize = 16;
constexpr uint32_t kTableEntrySize = 8;
constexpr uint32_t kDataEntrySize = 16;
constexpr uint64_t kDataAlignment = 8;
// Data of a page or more starts on a page of its own, so that it lies on whole pages of the
// image the stub writes it from (the section itself starts on a page, in memory and in the file).
constexpr uint64_t kPageSize = 0x1000;

uint64_t DataAlignment(uint64_t size) {
  return size >= kPageSize ? kPageSize : kDataAlignment;
}

// One directory table: its keys in loader order and, per key, the child table or the entry index.
struct Table {
  std::vector<ResourceKey> keys;
  std::vector<size_t> children;  // table index, or entry index at the language level
  uint32_t offset = 0;
};

uint32_t TableSize(const Table& table) {
  return kTableHeaderSize + kTableEntrySize * static_cast<uint32_t>(table.keys.size());
}

}  // namespace

ResourceSectionLayout LayOutResourceSection(const ResourceTree& tree, uint32_t sectionRva) {
  const std::vector<ResourceEntry>& entries = tree.entries();
  // Tables in breadth-first order: root, one per type, one per (type, name).
  std::vector<Table> tables(1);
  std::vector<int> tableLevel{0};
  size_t typeTable = 0;
  size_t nameTable = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const ResourceEntry& e = entries[i];
    const bool newType = i == 0 || e.type != entries[i - 1].type;
    const bool newName = newType || e.name != entries[i - 1].name;
    if (newType) {
      typeTable = tables.size();
      tables[0].keys.push_back(e.type);
      tables[0].children.push_back(typeTable);
      tables.emplace_back();
      tableLevel.push_back(1);
    }
    if (newName) {
      nameTable = tables.size();
      tables[typeTable].keys.push_back(e.name);
      tables[typeTable].children.push_back(nameTable);
      tables.emplace_back();
      tableLevel.push_back(2);
    }
    tables[nameTable].keys.push_back(ResourceKey::Id(e.language));
    tables[nameTable].children.push_back(i);
  }
  // Breadth-first: sort table indices by level, keeping creation order within a level.
  std::vector<size_t> order;
  for (int level = 0; level < 3; ++level) {
    for (size_t t = 0; t < tables.size(); ++t) {
      if (tableLevel[t] == level) order.push_back(t);
    }
  }
  uint32_t position = 0;
  for (size_t t : order) {
    tables[t].offset = position;
    position += TableSize(tables[t]);
  }
  const uint32_t dataEntriesOffset = position;
  position += kDataEntrySize * static_cast<uint32_t>(entries.size());

  // Name strings, each stored once.
  std::map<std::u16string, uint32_t> stringOffsets;
  std::vector<uint8_t> strings;
  for (const Table& table : tables) {
    for (const ResourceKey& key : table.keys) {
      if (!key.isName || stringOffsets.count(key.name) != 0) continue;
      stringOffsets[key.name] = position + static_cast<uint32_t>(strings.size());
      AppendU16(strings, static_cast<uint16_t>(key.name.size()));
      for (char16_t unit : key.name) AppendU16(strings, static_cast<uint16_t>(unit));
    }
  }
  position += static_cast<uint32_t>(strings.size());

  ResourceSectionLayout layout;
  uint64_t dataPosition = position;
  for (const ResourceEntry& e : entries) {
    dataPosition = AlignUp(dataPosition, DataAlignment(e.data.size));
    layout.dataOffsets.push_back(dataPosition);
    dataPosition += e.data.size;
  }
  dataPosition = AlignUp(dataPosition, kDataAlignment);
  layout.size = entries.empty() ? position : dataPosition;

  std::vector<uint8_t>& out = layout.directory;
  for (size_t t : order) {
    const Table& table = tables[t];
    uint16_t named = 0;
    for (const ResourceKey& key : table.keys) named += key.isName ? 1 : 0;
    AppendU32(out, 0);  // characteristics
    AppendU32(out, 0);  // time stamp: zero keeps the output reproducible
    AppendU32(out, 0);  // version
    AppendU16(out, named);
    AppendU16(out, static_cast<uint16_t>(table.keys.size() - named));
    for (size_t k = 0; k < table.keys.size(); ++k) {
      const ResourceKey& key = table.keys[k];
      AppendU32(out, key.isName ? kSubdirectoryFlag | stringOffsets[key.name] : key.id);
      const size_t child = table.children[k];
      AppendU32(out, tableLevel[t] < 2
                         ? kSubdirectoryFlag | tables[child].offset
                         : dataEntriesOffset + kDataEntrySize * static_cast<uint32_t>(child));
    }
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    AppendU32(out, static_cast<uint32_t>(sectionRva + layout.dataOffsets[i]));
    AppendU32(out, static_cast<uint32_t>(entries[i].data.size));
    AppendU32(out, entries[i].codePage);
    AppendU32(out, 0);
  }
  out.insert(out.end(), strings.begin(), strings.end());
  return layout;
}

}  // namespace brennix::pack
