#include "tools/pack/StringTableEditor.h"

#include <map>

#include "tools/pack/StringTable.h"

namespace brennix::pack {

namespace {

uint16_t StringTableLanguage(const ResourceTree& tree, uint16_t fallbackLanguage) {
  for (const ResourceEntry& entry : tree.entries()) {
    if (entry.type == kStringType) return entry.language;
  }
  return fallbackLanguage;
}

void Apply(const std::vector<const StringEdit*>& edits, StringBlock& block) {
  for (const StringEdit* edit : edits) {
    block.strings[StringIndexInBlock(edit->id)] = edit->unset ? std::u16string() : edit->text;
  }
}

}  // namespace

PackResult ApplyStringEdits(const std::vector<StringEdit>& edits, uint16_t fallbackLanguage, ResourceTree& tree) {
  std::map<uint16_t, std::vector<const StringEdit*>> byBlock;
  for (const StringEdit& edit : edits) byBlock[StringBlockId(edit.id)].push_back(&edit);
  const uint16_t newBlockLanguage = StringTableLanguage(tree, fallbackLanguage);

  for (const auto& [blockId, blockEdits] : byBlock) {
    const ResourceKey name = ResourceKey::Id(blockId);
    std::vector<ResourceEntry*> versions = tree.Find(kStringType, name);
    if (versions.empty()) {
      StringBlock block;
      Apply(blockEdits, block);
      if (block.IsEmpty()) continue;  // unsetting what is not there
      ResourceEntry entry{kStringType, name, newBlockLanguage, 0, ResourceSource::FromBytes(EncodeStringBlock(block))};
      if (PackResult result = tree.Add(std::move(entry)); !result) return result;
      continue;
    }
    size_t emptied = 0;
    for (ResourceEntry* version : versions) {
      std::vector<uint8_t> bytes;
      StringBlock block;
      if (PackResult result = ReadResourceBytes(version->data, bytes); !result) return result;
      if (PackResult result = DecodeStringBlock(bytes, block); !result) return result;
      Apply(blockEdits, block);
      if (block.IsEmpty()) ++emptied;
      version->data = ResourceSource::FromBytes(EncodeStringBlock(block));
    }
    if (emptied == versions.size()) tree.Remove(kStringType, name);
  }
  return PackResult::Ok();
}

}  // namespace brennix::pack
