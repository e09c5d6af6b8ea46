// The resources of an image as a flat list of (type, name, language) entries whose bytes stay
// wherever they are (in the stub, in a payload file, or in memory) until the output is written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/pack/ByteSource.h"
#include "tools/pack/PackResult.h"

namespace brennix::pack {

// A resource type or name: a 16-bit id, or a counted UTF-16 string.
struct ResourceKey {
  bool isName = false;
  uint16_t id = 0;
  std::u16string name;

  static ResourceKey Id(uint16_t id);
  static ResourceKey Name(std::u16string name);
  bool operator==(const ResourceKey& other) const;
  bool operator!=(const ResourceKey& other) const { return !(*this == other); }
  // "101" or the name, for messages.
  std::string Describe() const;
};

// True when a must stand before b in a resource directory: named entries first, in the order the
// loader's binary search expects (code unit by code unit, a prefix before the longer name), then
// numeric ids ascending.
bool LoaderPrecedes(const ResourceKey& a, const ResourceKey& b);

extern const ResourceKey kToolkitType;  // "TOOLKIT"
extern const ResourceKey kStringType;   // RT_STRING

// Where a resource's bytes are: a payload file read while the output is written (file set),
// or a range of an open source (the stub, or bytes in memory).
struct ResourceSource {
  std::filesystem::path file;
  std::shared_ptr<const ByteSource> source;
  uint64_t offset = 0;
  uint64_t size = 0;

  static ResourceSource FromFile(std::filesystem::path file, uint64_t size);
  static ResourceSource FromBytes(std::vector<uint8_t> bytes);
};

struct ResourceEntry {
  ResourceKey type;
  ResourceKey name;
  uint16_t language = 0;
  uint32_t codePage = 0;
  ResourceSource data;
};

class ResourceTree {
 public:
  std::vector<ResourceEntry>& entries() { return entries_; }
  const std::vector<ResourceEntry>& entries() const { return entries_; }

  // Adds entry. Fails when the tree already holds the same type, name and language.
  PackResult Add(ResourceEntry entry);
  void RemoveType(const ResourceKey& type);
  // Removes every language of type/name. Returns the language of the first one removed, if any.
  std::optional<uint16_t> Remove(const ResourceKey& type, const ResourceKey& name);
  std::vector<ResourceEntry*> Find(const ResourceKey& type, const ResourceKey& name);
  // The language most entries use (the lowest on a tie), for resources the packer adds; 0 when empty.
  uint16_t PrevailingLanguage() const;
  // Orders entries by type, name and language as the resource directory holds them.
  void SortForLoader();

 private:
  std::vector<ResourceEntry> entries_;
};

// Reads all bytes of a resource into bytes. Fails when the file or range cannot be read.
PackResult ReadResourceBytes(const ResourceSource& data, std::vector<uint8_t>& bytes);

}  // namespace brennix::pack
