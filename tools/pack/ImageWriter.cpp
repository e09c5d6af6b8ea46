#include "tools/pack/ImageWriter.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "tools/pack/LittleEndian.h"
#include "tools/pack/OutputFile.h"
#include "tools/pack/PeCheckSum.h"

namespace brennix::pack {

namespace {

constexpr size_t kChunkSize = 1u << 20;

// The output with its running check sum and one reusable copy buffer.
class ImageStream {
 public:
  explicit ImageStream(OutputFile& file) : file_(file), buffer_(kChunkSize) {}

  PackResult Write(const uint8_t* bytes, size_t count) {
    checkSum_.Add(bytes, count);
    return file_.Write(bytes, count);
  }

  PackResult ZeroFillTo(uint64_t offset) {
    if (file_.position() > offset) return PackResult::Fail("internal error: output pieces overlap");
    std::fill(buffer_.begin(), buffer_.end(), 0);
    while (file_.position() < offset) {
      const size_t count = static_cast<size_t>(std::min<uint64_t>(kChunkSize, offset - file_.position()));
      if (PackResult result = Write(buffer_.data(), count); !result) return result;
    }
    return PackResult::Ok();
  }

  PackResult Copy(const ByteSource& source, uint64_t offset, uint64_t size, const std::string& what) {
    for (uint64_t done = 0; done < size;) {
      const size_t count = static_cast<size_t>(std::min<uint64_t>(kChunkSize, size - done));
      if (!source.ReadAt(offset + done, buffer_.data(), count)) {
        return PackResult::Fail(what + ": cannot be read");
      }
      if (PackResult result = Write(buffer_.data(), count); !result) return result;
      done += count;
    }
    return PackResult::Ok();
  }

  uint64_t position() const { return file_.position(); }
  uint32_t CheckSum() const { return checkSum_.Finish(); }

 private:
  OutputFile& file_;
  std::vector<uint8_t> buffer_;
  PeCheckSum checkSum_;
};

PackResult WriteResourceData(ImageStream& out, const ResourceEntry& entry) {
  if (entry.data.file.empty()) return out.Copy(*entry.data.source, entry.data.offset, entry.data.size, "the stub");
  std::string error;
  std::unique_ptr<FileSource> file = FileSource::Open(entry.data.file, error);
  if (!file) return PackResult::Fail(error);
  if (file->Size() != entry.data.size) {
    return PackResult::Fail(DisplayPath(entry.data.file) + ": changed size while packing");
  }
  return out.Copy(*file, 0, entry.data.size, DisplayPath(entry.data.file));
}

PackResult WriteResourceSection(ImageStream& out, const ImageLayout& layout, const ResourceTree& tree,
                                const ResourceSectionLayout& resources) {
  if (PackResult result = out.ZeroFillTo(layout.resourceFileOffset); !result) return result;
  if (PackResult result = out.Write(resources.directory.data(), resources.directory.size()); !result) {
    return result;
  }
  for (size_t i = 0; i < tree.entries().size(); ++i) {
    if (PackResult result = out.ZeroFillTo(layout.resourceFileOffset + resources.dataOffsets[i]); !result) {
      return result;
    }
    if (PackResult result = WriteResourceData(out, tree.entries()[i]); !result) return result;
  }
  return out.ZeroFillTo(layout.resourceFileOffset + layout.resourceRawSize);
}

}  // namespace

PackResult WriteImage(const ByteSource& stub, const ImageLayout& layout, const ResourceTree& tree,
                      const ResourceSectionLayout& resources, const std::filesystem::path& destination) {
  OutputFile file;
  if (PackResult result = file.Create(destination); !result) return result;
  ImageStream out(file);
  if (PackResult result = out.Write(layout.headers.data(), layout.headers.size()); !result) return result;
  bool resourcesWritten = false;
  for (const CopyRange& range : layout.copies) {
    if (!resourcesWritten && layout.resourceFileOffset < range.destination) {
      if (PackResult result = WriteResourceSection(out, layout, tree, resources); !result) return result;
      resourcesWritten = true;
    }
    if (PackResult result = out.ZeroFillTo(range.destination); !result) return result;
    if (PackResult result = out.Copy(stub, range.source, range.size, "the stub"); !result) return result;
  }
  if (!resourcesWritten) {
    if (PackResult result = WriteResourceSection(out, layout, tree, resources); !result) return result;
  }
  if (PackResult result = out.ZeroFillTo(layout.fileSize); !result) return result;
  uint8_t checkSum[4];
  WriteU32(checkSum, out.CheckSum());
  if (PackResult result = file.Overwrite(layout.checkSumOffset, checkSum, sizeof checkSum); !result) {
    return result;
  }
  return file.Commit();
}

}  // namespace brennix::pack
