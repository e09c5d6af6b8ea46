#include "tools/pack/Packer.h"

#include <filesystem>
#include <iomanip>
#include <memory>
#include <system_error>

#include "tools/pack/Branding.h"
#include "tools/pack/ByteSource.h"
#include "tools/pack/ImageLayout.h"
#include "tools/pack/ImageWriter.h"
#include "tools/pack/PayloadResources.h"
#include "tools/pack/PeImage.h"
#include "tools/pack/ResourceDirectoryReader.h"
#include "tools/pack/ResourceSectionBuilder.h"
#include "tools/pack/StringTableEditor.h"

namespace brennix::pack {

namespace {

// --resource: each replaces the stub's resource of that type and name, keeping its language.
PackResult ApplyResourceOptions(const PackOptions& options, uint16_t language, ResourceTree& tree) {
  for (const ResourceOption& resource : options.resources) {
    const std::filesystem::path path = std::filesystem::u8path(resource.path);
    uint64_t size = 0;
    if (PackResult result = RegularFileSize(path, size); !result) {
      return PackResult::Fail("--resource " + resource.text + ": " + result.message());
    }
    if (resource.type == kToolkitType && options.DefinesPayload() && !tree.Find(resource.type, resource.name).empty()) {
      return PackResult::Fail("--resource " + resource.text + ": duplicate of a payload resource");
    }
    const uint16_t kept = tree.Remove(resource.type, resource.name).value_or(language);
    ResourceEntry entry{resource.type, resource.name, kept, 0, ResourceSource::FromFile(path, size)};
    if (PackResult result = tree.Add(std::move(entry)); !result) return result;
  }
  return PackResult::Ok();
}

PackResult CheckOutputPath(const PackOptions& options) {
  std::error_code ec;
  if (std::filesystem::equivalent(std::filesystem::u8path(options.stub), std::filesystem::u8path(options.out), ec)) {
    return PackResult::Fail("--out must not be the stub itself");
  }
  return PackResult::Ok();
}

}  // namespace

PackResult Pack(const PackOptions& options, std::ostream& report, std::ostream& warnings) {
  if (PackResult result = CheckOutputPath(options); !result) return result;
  std::string error;
  std::shared_ptr<const ByteSource> stub = FileSource::Open(std::filesystem::u8path(options.stub), error);
  if (!stub) return PackResult::Fail("--stub: " + error);
  PeImage image;
  if (PackResult result = ReadPeImage(*stub, image); !result) {
    return PackResult::Fail(options.stub + ": " + result.message());
  }
  ResourceTree tree;
  if (PackResult result = ReadResourceDirectory(image, stub, tree); !result) {
    return PackResult::Fail(options.stub + ": " + result.message());
  }
  const uint16_t language = tree.PrevailingLanguage();
  PayloadSummary payload;
  if (PackResult result = AddPayloadResources(options, language, tree, payload, warnings); !result) return result;
  if (PackResult result = ApplyResourceOptions(options, language, tree); !result) return result;
  if (PackResult result = ApplyStringEdits(options.strings, language, tree); !result) return result;
  if (PackResult result = ApplyBranding(options, language, tree); !result) return result;

  tree.SortForLoader();
  ImageLayout layout;
  if (PackResult result = PlanImageLayout(image, LayOutResourceSection(tree, 0).size, layout); !result) return result;
  const ResourceSectionLayout resources = LayOutResourceSection(tree, layout.resourceRva);
  if (PackResult result = WriteImage(*stub, layout, tree, resources, std::filesystem::u8path(options.out)); !result) {
    return result;
  }

  report << options.out << ": " << tree.entries().size() << " resources, " << layout.fileSize << " bytes";
  if (options.DefinesPayload()) report << "; payload " << payload.fileCount << " files, " << payload.byteCount << " bytes";
  if (payload.packedByteCount) {
    const double ratio = payload.byteCount == 0 ? 1.0 : static_cast<double>(*payload.packedByteCount) / payload.byteCount;
    report << "; compressed to " << *payload.packedByteCount << " bytes (ratio " << std::fixed << std::setprecision(3)
           << ratio << std::defaultfloat << ")";
  }
  if (payload.launchedName) report << "; launches " << *payload.launchedName << " (id " << *payload.launchedId << ")";
  report << "\n";
  if (options.DefinesPayload() && !payload.launchedName && options.manifestFile.empty() && !options.noManifest) {
    warnings << "warning: no manifest entry has a name the stub launches (one holding \".exe\")\n";
  }
  return PackResult::Ok();
}

}  // namespace brennix::pack
