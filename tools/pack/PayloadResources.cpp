#include "tools/pack/PayloadResources.h"

#include <set>

#include "payload/PackedFormat.h"
#include "tools/pack/Manifest.h"
#include "tools/pack/PackedPayload.h"
#include "tools/pack/PayloadFolder.h"

namespace brennix::pack {

namespace {

constexpr uint32_t kMaxResourceId = 0xffff;

struct PayloadItem {
  ManifestEntry entry;
  std::filesystem::path path;
};

// Ids given explicitly on the command line, which the folder's numbering skips.
PackResult ClaimExplicitIds(const PackOptions& options, std::set<uint16_t>& claimed) {
  const bool hasManifest = !options.noManifest;
  if (hasManifest) claimed.insert(kManifestId);
  for (const FileOption& file : options.files) {
    if (!claimed.insert(file.id).second) {
      return PackResult::Fail("--file " + std::to_string(file.id) + ": duplicate id" +
                              (file.id == kManifestId ? " (101 is the manifest; see --no-manifest)" : ""));
    }
  }
  for (const ResourceOption& resource : options.resources) {
    if (resource.type != kToolkitType || resource.name.isName) continue;
    if (!claimed.insert(resource.name.id).second) {
      return PackResult::Fail("--resource " + resource.text + ": duplicate id" +
                              (resource.name.id == kManifestId ? " (101 is the manifest; see --no-manifest)" : ""));
    }
  }
  return PackResult::Ok();
}

PackResult CollectFolder(const PackOptions& options, std::set<uint16_t>& claimed, std::vector<PayloadItem>& items,
                         std::optional<uint16_t>& programId) {
  if (options.payloadFolder.empty()) return PackResult::Ok();
  std::vector<PayloadFile> files;
  const std::filesystem::path folder = std::filesystem::u8path(options.payloadFolder);
  if (PackResult result = ScanPayloadFolder(folder, files); !result) return result;
  size_t program = 0;
  if (PackResult result = ChooseProgram(files, options.program, program); !result) return result;
  // The program first, so it gets the lowest id and the stub launches it.
  std::vector<size_t> order{program};
  for (size_t i = 0; i < files.size(); ++i) {
    if (i != program) order.push_back(i);
  }
  uint32_t next = kFirstPayloadId;
  for (size_t index : order) {
    while (next <= kMaxResourceId && claimed.count(static_cast<uint16_t>(next)) != 0) ++next;
    if (next > kMaxResourceId) return PackResult::Fail("the payload folder holds more files than there are resource ids");
    const uint16_t id = static_cast<uint16_t>(next++);
    claimed.insert(id);
    if (index == program) programId = id;
    PayloadItem item;
    item.entry = {id, files[index].manifestName, files[index].size};
    item.path = files[index].path;
    items.push_back(std::move(item));
  }
  return PackResult::Ok();
}

PackResult CollectFiles(const PackOptions& options, std::vector<PayloadItem>& items) {
  for (const FileOption& file : options.files) {
    PayloadItem item;
    item.entry.id = file.id;
    item.entry.name = file.name;
    item.path = std::filesystem::u8path(file.path);
    if (PackResult result = RegularFileSize(item.path, item.entry.size); !result) {
      return PackResult::Fail("--file " + std::to_string(file.id) + ": " + result.message());
    }
    items.push_back(item);
  }
  return PackResult::Ok();
}

PackResult AddManifest(const PackOptions& options, const std::vector<ManifestEntry>& entries, uint16_t language,
                       ResourceTree& tree) {
  if (options.noManifest) return PackResult::Ok();
  ResourceEntry manifest{kToolkitType, ResourceKey::Id(kManifestId), language, 0, {}};
  if (!options.manifestFile.empty()) {
    const std::filesystem::path path = std::filesystem::u8path(options.manifestFile);
    uint64_t size = 0;
    if (PackResult result = RegularFileSize(path, size); !result) return PackResult::Fail("--manifest-file: " + result.message());
    manifest.data = ResourceSource::FromFile(path, size);
  } else {
    std::vector<uint8_t> text;
    if (PackResult result = BuildManifestText(entries, text); !result) return result;
    manifest.data = ResourceSource::FromBytes(std::move(text));
  }
  return tree.Add(std::move(manifest));
}

// The files in one compressed stream, each file's resource holding its record.
PackResult AddPackedResources(const PackOptions& options, const std::vector<PayloadItem>& items, uint16_t language,
                              ResourceTree& tree, PayloadSummary& summary) {
  std::vector<PackedInput> inputs;
  for (const PayloadItem& item : items) inputs.push_back({item.entry.id, item.path, item.entry.size});
  PackedPayload packed;
  if (PackResult result = BuildPackedPayload(std::move(inputs), options.level, packed); !result) return result;
  summary.packedByteCount = packed.stream->Size();
  for (auto& [id, record] : packed.records) {
    ResourceEntry resource{kToolkitType, ResourceKey::Id(id), language, 0, ResourceSource::FromBytes(std::move(record))};
    if (PackResult result = tree.Add(std::move(resource)); !result) return result;
  }
  ResourceEntry stream{kToolkitType, ResourceKey::Name(kPackedStreamName), language, 0, {}};
  stream.data.size = packed.stream->Size();
  stream.data.source = std::move(packed.stream);
  return tree.Add(std::move(stream));
}

}  // namespace

PackResult AddPayloadResources(const PackOptions& options, uint16_t language, ResourceTree& tree,
                               PayloadSummary& summary, std::ostream& warnings) {
  summary = PayloadSummary();
  if (!options.DefinesPayload()) return PackResult::Ok();
  std::set<uint16_t> claimed;
  if (PackResult result = ClaimExplicitIds(options, claimed); !result) return result;
  std::vector<PayloadItem> items;
  std::optional<uint16_t> programId;
  if (PackResult result = CollectFolder(options, claimed, items, programId); !result) return result;
  if (PackResult result = CollectFiles(options, items); !result) return result;

  // With a manifest of the user's own (or none), what the stub launches is the user's business.
  const bool generatedManifest = options.manifestFile.empty() && !options.noManifest;
  std::vector<ManifestEntry> entries;
  for (const PayloadItem& item : items) {
    entries.push_back(item.entry);
    summary.byteCount += item.entry.size;
    if (!IsAsciiName(item.entry.name) && generatedManifest) {
      warnings << "warning: \"" << item.entry.name
               << "\" is stored in Windows-1252 and reads back correctly only where the ANSI code page is 1252\n";
    }
  }
  summary.fileCount = items.size();
  if (generatedManifest) summary.launchedId = LaunchedEntryId(entries);
  for (const ManifestEntry& entry : entries) {
    if (summary.launchedId && entry.id == *summary.launchedId) summary.launchedName = entry.name;
  }
  if (programId && summary.launchedId != programId) {
    return PackResult::Fail("--file " + std::to_string(*summary.launchedId) + " (" + *summary.launchedName +
                            ") has a lower id than the program, so the stub would launch it instead");
  }

  tree.RemoveType(kToolkitType);
  if (PackResult result = AddManifest(options, entries, language, tree); !result) return result;
  if (options.store) {
    for (const PayloadItem& item : items) {
      ResourceEntry resource{kToolkitType, ResourceKey::Id(item.entry.id), language, 0,
                             ResourceSource::FromFile(item.path, item.entry.size)};
      if (PackResult result = tree.Add(std::move(resource)); !result) return result;
    }
    return PackResult::Ok();
  }
  return AddPackedResources(options, items, language, tree, summary);
}

}  // namespace brennix::pack
