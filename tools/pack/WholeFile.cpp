#include "tools/pack/WholeFile.h"

#include <string>

#include "tools/pack/ByteSource.h"

namespace brennix::pack {

PackResult ReadWholeFile(const std::filesystem::path& path, uint64_t maxSize, std::vector<uint8_t>& bytes) {
  std::string error;
  std::unique_ptr<FileSource> file = FileSource::Open(path, error);
  if (!file) return PackResult::Fail(error);
  if (file->Size() > maxSize) {
    return PackResult::Fail(DisplayPath(path) + ": larger than " + std::to_string(maxSize) + " bytes");
  }
  bytes.assign(file->Size(), 0);
  if (!file->ReadAt(0, bytes.data(), bytes.size())) return PackResult::Fail(DisplayPath(path) + ": cannot be read");
  return PackResult::Ok();
}

}  // namespace brennix::pack
