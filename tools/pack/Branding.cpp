#include "tools/pack/Branding.h"

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tools/pack/BitmapFile.h"
#include "tools/pack/IconFile.h"
#include "tools/pack/TextEncoding.h"
#include "tools/pack/VersionResource.h"
#include "tools/pack/WholeFile.h"

namespace brennix::pack {

namespace {

const ResourceKey kBitmapType = ResourceKey::Id(2);
const ResourceKey kIconType = ResourceKey::Id(3);
const ResourceKey kIconGroupType = ResourceKey::Id(14);
const ResourceKey kVersionType = ResourceKey::Id(16);
const ResourceKey kApplicationIcon = ResourceKey::Id(5);

constexpr uint64_t kMaxArtworkSize = 16 << 20;

// The pictures the dialogs show at their real size, so each must be exactly as large.
struct PictureSlot {
  const char* option;
  const char* what;
  std::string BrandingOptions::*file;
  uint16_t bitmapId;
  int32_t width;
  int32_t height;
};

const PictureSlot kPictureSlots[] = {
    {"--splash", "splash", &BrandingOptions::splash, 133, 428, 211},
    {"--banner", "banner", &BrandingOptions::banner, 130, 634, 78},
};

PackResult Refuse(const std::string& option, const std::string& value, const std::string& problem) {
  return PackResult::Fail(option + " " + value + ": " + problem);
}

std::string Size(int32_t width, int32_t height) { return std::to_string(width) + "x" + std::to_string(height); }

// Replaces every language of type/name by bytes, keeping the first language it had.
PackResult Replace(const ResourceKey& type, const ResourceKey& name, std::vector<uint8_t> bytes, uint16_t fallbackLanguage,
                   ResourceTree& tree) {
  const uint16_t language = tree.Remove(type, name).value_or(fallbackLanguage);
  return tree.Add(ResourceEntry{type, name, language, 0, ResourceSource::FromBytes(std::move(bytes))});
}

PackResult CheckNotAlsoReplaced(const PackOptions& options, const std::string& option, const ResourceKey& type,
                                const ResourceKey& name) {
  for (const ResourceOption& resource : options.resources) {
    if (resource.type == type && resource.name == name) {
      return PackResult::Fail(option + " and --resource " + resource.text + " both replace that resource");
    }
  }
  return PackResult::Ok();
}

PackResult ApplyPicture(const PackOptions& options, const PictureSlot& slot, uint16_t fallbackLanguage, ResourceTree& tree) {
  const std::string& path = options.branding.*slot.file;
  if (path.empty()) return PackResult::Ok();
  const ResourceKey name = ResourceKey::Id(slot.bitmapId);
  if (PackResult result = CheckNotAlsoReplaced(options, slot.option, kBitmapType, name); !result) return result;
  std::vector<uint8_t> file;
  if (PackResult result = ReadWholeFile(std::filesystem::u8path(path), kMaxArtworkSize, file); !result) {
    return PackResult::Fail(std::string(slot.option) + ": " + result.message());
  }
  BitmapPicture picture;
  if (PackResult result = DecodeBitmapFile(file, picture); !result) return Refuse(slot.option, path, result.message());
  const std::string expected = "the " + std::string(slot.what) + " must be an uncompressed 24- or 32-bit bitmap of " +
                               Size(slot.width, slot.height) + " pixels";
  if (picture.bitCount != 24 && picture.bitCount != 32) {
    return Refuse(slot.option, path, expected + "; this one has " + std::to_string(picture.bitCount) + " bits per pixel");
  }
  if (picture.compressed) return Refuse(slot.option, path, expected + "; this one is compressed");
  if (picture.width != slot.width || std::abs(picture.height) != slot.height) {
    return Refuse(slot.option, path, expected + "; this one is " + Size(picture.width, std::abs(picture.height)));
  }
  return Replace(kBitmapType, name, std::move(picture.resource), fallbackLanguage, tree);
}

// The RT_ICON ids an icon group names.
PackResult GroupImageIds(const ResourceEntry& group, std::vector<uint16_t>& ids) {
  std::vector<uint8_t> bytes;
  if (PackResult result = ReadResourceBytes(group.data, bytes); !result) return result;
  return DecodeIconGroupIds(bytes, ids);
}

// The stub's images of the application icon, less those another icon group shows too.
PackResult ApplicationIconOwnImages(ResourceTree& tree, std::set<uint16_t>& owned) {
  std::set<uint16_t> shared;
  for (const ResourceEntry& entry : tree.entries()) {
    if (entry.type != kIconGroupType) continue;
    std::vector<uint16_t> ids;
    if (PackResult result = GroupImageIds(entry, ids); !result) return result;
    (entry.name == kApplicationIcon ? owned : shared).insert(ids.begin(), ids.end());
  }
  for (uint16_t id : shared) owned.erase(id);
  return PackResult::Ok();
}

PackResult ApplyIcon(const PackOptions& options, uint16_t fallbackLanguage, ResourceTree& tree) {
  const std::string& path = options.branding.icon;
  if (path.empty()) return PackResult::Ok();
  if (PackResult result = CheckNotAlsoReplaced(options, "--icon", kIconGroupType, kApplicationIcon); !result) return result;
  std::vector<uint8_t> file;
  if (PackResult result = ReadWholeFile(std::filesystem::u8path(path), kMaxArtworkSize, file); !result) {
    return PackResult::Fail("--icon: " + result.message());
  }
  std::vector<IconImage> images;
  if (PackResult result = DecodeIconFile(file, images); !result) return Refuse("--icon", path, result.message());

  std::set<uint16_t> replaced;
  if (PackResult result = ApplicationIconOwnImages(tree, replaced); !result) return result;
  for (uint16_t id : replaced) tree.Remove(kIconType, ResourceKey::Id(id));
  const uint16_t language = tree.Remove(kIconGroupType, kApplicationIcon).value_or(fallbackLanguage);

  std::set<uint16_t> taken;
  for (const ResourceEntry& entry : tree.entries()) {
    if (entry.type == kIconType && !entry.name.isName) taken.insert(entry.name.id);
  }
  std::vector<uint16_t> ids;
  for (uint32_t id = 1; ids.size() < images.size(); ++id) {
    if (id > 0xffff) return Refuse("--icon", path, "no free icon ids left in the stub");
    if (!taken.count(static_cast<uint16_t>(id))) ids.push_back(static_cast<uint16_t>(id));
  }
  std::vector<uint8_t> group = EncodeIconGroup(images, ids);
  for (size_t i = 0; i < images.size(); ++i) {
    ResourceEntry image{kIconType, ResourceKey::Id(ids[i]), language, 0, ResourceSource::FromBytes(std::move(images[i].bytes))};
    if (PackResult result = tree.Add(std::move(image)); !result) return result;
  }
  return tree.Add(ResourceEntry{kIconGroupType, kApplicationIcon, language, 0, ResourceSource::FromBytes(std::move(group))});
}

// The version edits the command line asks for, checked.
PackResult ReadVersionEdits(const BrandingOptions& branding, VersionEdits& edits) {
  if (!branding.version.empty()) {
    if (!ParseVersionNumber(branding.version, edits.number)) {
      return Refuse("--version", branding.version, "expected four numbers A.B.C.D, each from 0 to 65535");
    }
    edits.setsNumber = true;
  }
  for (const auto& [key, value] : branding.versionStrings) {
    const std::string given = key + "=" + value;
    if (!IsVersionStringKey(key)) {
      return Refuse("--version-string", given, "unknown key " + key + " (one of " + VersionStringKeys() + ")");
    }
    std::u32string codePoints;
    if (!DecodeUtf8(value, codePoints)) return Refuse("--version-string", given, "VALUE is not valid UTF-8");
    edits.strings.emplace_back(std::u16string(key.begin(), key.end()), EncodeUtf16(codePoints));
  }
  return PackResult::Ok();
}

PackResult ApplyVersion(const PackOptions& options, ResourceTree& tree) {
  const BrandingOptions& branding = options.branding;
  if (branding.version.empty() && branding.versionStrings.empty()) return PackResult::Ok();
  VersionEdits edits;
  if (PackResult result = ReadVersionEdits(branding, edits); !result) return result;
  const char* option = branding.version.empty() ? "--version-string" : "--version";
  std::vector<ResourceEntry*> versions;
  for (ResourceEntry& entry : tree.entries()) {
    if (entry.type == kVersionType) versions.push_back(&entry);
  }
  if (versions.empty()) return PackResult::Fail(std::string(option) + ": the stub has no version resource to change");
  for (ResourceEntry* version : versions) {
    if (PackResult result = CheckNotAlsoReplaced(options, option, kVersionType, version->name); !result) return result;
    std::vector<uint8_t> bytes;
    VersionNode root;
    if (PackResult result = ReadResourceBytes(version->data, bytes); !result) return result;
    if (PackResult result = DecodeVersionResource(bytes, root); !result) {
      return PackResult::Fail(std::string(option) + ": " + result.message());
    }
    ApplyVersionEdits(edits, root);
    if (PackResult result = EncodeVersionResource(root, bytes); !result) {
      return PackResult::Fail(std::string(option) + ": " + result.message());
    }
    version->data = ResourceSource::FromBytes(std::move(bytes));
  }
  return PackResult::Ok();
}

}  // namespace

PackResult ApplyBranding(const PackOptions& options, uint16_t fallbackLanguage, ResourceTree& tree) {
  if (PackResult result = ApplyIcon(options, fallbackLanguage, tree); !result) return result;
  for (const PictureSlot& slot : kPictureSlots) {
    if (PackResult result = ApplyPicture(options, slot, fallbackLanguage, tree); !result) return result;
  }
  return ApplyVersion(options, tree);
}

}  // namespace brennix::pack
