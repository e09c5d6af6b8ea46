#include "tools/pack/ResourceTree.h"

#include <algorithm>
#include <map>

namespace brennix::pack {

const ResourceKey kToolkitType = ResourceKey::Name(u"TOOLKIT");
const ResourceKey kStringType = ResourceKey::Id(6);

ResourceKey ResourceKey::Id(uint16_t id) {
  ResourceKey key;
  key.id = id;
  return key;
}

ResourceKey ResourceKey::Name(std::u16string name) {
  ResourceKey key;
  key.isName = true;
  key.name = std::move(name);
  return key;
}

bool ResourceKey::operator==(const ResourceKey& other) const {
  return isName == other.isName && (isName ? name == other.name : id == other.id);
}

std::string ResourceKey::Describe() const {
  if (!isName) return std::to_string(id);
  std::string text;
  for (char16_t unit : name) text += unit < 0x80 ? static_cast<char>(unit) : '?';
  return text;
}

bool LoaderPrecedes(const ResourceKey& a, const ResourceKey& b) {
  if (a.isName != b.isName) return a.isName;
  if (!a.isName) return a.id < b.id;
  // std::u16string compares code unit by code unit with a prefix first: what the loader expects.
  return a.name < b.name;
}

ResourceSource ResourceSource::FromFile(std::filesystem::path file, uint64_t size) {
  ResourceSource data;
  data.file = std::move(file);
  data.size = size;
  return data;
}

ResourceSource ResourceSource::FromBytes(std::vector<uint8_t> bytes) {
  ResourceSource data;
  data.size = bytes.size();
  data.source = std::make_shared<MemorySource>(std::move(bytes));
  return data;
}

PackResult ResourceTree::Add(ResourceEntry entry) {
  for (const ResourceEntry& existing : entries_) {
    if (existing.type == entry.type && existing.name == entry.name &&
        existing.language == entry.language) {
      return PackResult::Fail("duplicate resource " + entry.type.Describe() + "/" +
                              entry.name.Describe());
    }
  }
  entries_.push_back(std::move(entry));
  return PackResult::Ok();
}

void ResourceTree::RemoveType(const ResourceKey& type) {
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [&](const ResourceEntry& e) { return e.type == type; }),
                 entries_.end());
}

std::optional<uint16_t> ResourceTree::Remove(const ResourceKey& type, const ResourceKey& name) {
  std::optional<uint16_t> language;
  for (const ResourceEntry& e : entries_) {
    if (e.type == type && e.name == name) {
      language = e.language;
      break;
    }
  }
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [&](const ResourceEntry& e) { return e.type == type && e.name == name; }),
                 entries_.end());
  return language;
}

std::vector<ResourceEntry*> ResourceTree::Find(const ResourceKey& type, const ResourceKey& name) {
  std::vector<ResourceEntry*> found;
  for (ResourceEntry& e : entries_) {
    if (e.type == type && e.name == name) found.push_back(&e);
  }
  return found;
}

uint16_t ResourceTree::PrevailingLanguage() const {
  std::map<uint16_t, size_t> counts;
  for (const ResourceEntry& e : entries_) ++counts[e.language];
  uint16_t best = 0;
  size_t bestCount = 0;
  for (const auto& [language, count] : counts) {
    if (count > bestCount) {
      best = language;
      bestCount = count;
    }
  }
  return best;
}

void ResourceTree::SortForLoader() {
  std::stable_sort(entries_.begin(), entries_.end(), [](const ResourceEntry& a, const ResourceEntry& b) {
    if (a.type != b.type) return LoaderPrecedes(a.type, b.type);
    if (a.name != b.name) return LoaderPrecedes(a.name, b.name);
    return a.language < b.language;
  });
}

PackResult ReadResourceBytes(const ResourceSource& data, std::vector<uint8_t>& bytes) {
  bytes.assign(data.size, 0);
  if (!data.file.empty()) {
    std::string error;
    auto file = FileSource::Open(data.file, error);
    if (!file) return PackResult::Fail(error);
    if (file->Size() != data.size || !file->ReadAt(0, bytes.data(), bytes.size())) {
      return PackResult::Fail(DisplayPath(data.file) + ": changed or unreadable while packing");
    }
    return PackResult::Ok();
  }
  if (!data.source->ReadAt(data.offset, bytes.data(), bytes.size())) {
    return PackResult::Fail("a resource of the stub cannot be read");
  }
  return PackResult::Ok();
}

}  // namespace brennix::pack
