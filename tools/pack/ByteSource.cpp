#include "tools/pack/ByteSource.h"

#include <cstring>
#include <system_error>

namespace brennix::pack {

bool MemorySource::ReadAt(uint64_t offset, void* destination, size_t count) const {
  if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
  if (count != 0) std::memcpy(destination, bytes_.data() + offset, count);
  return true;
}

PackResult RegularFileSize(const std::filesystem::path& path, uint64_t& size) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) return PackResult::Fail(DisplayPath(path) + ": no such file");
  if (!std::filesystem::is_regular_file(status)) return PackResult::Fail(DisplayPath(path) + ": not a regular file");
  size = std::filesystem::file_size(path, ec);
  if (ec) return PackResult::Fail(DisplayPath(path) + ": cannot read its size (" + ec.message() + ")");
  return PackResult::Ok();
}

std::unique_ptr<FileSource> FileSource::Open(const std::filesystem::path& path, std::string& error) {
  uint64_t size = 0;
  if (PackResult result = RegularFileSize(path, size); !result) {
    error = result.message();
    return nullptr;
  }
  std::unique_ptr<FileSource> source(new FileSource());
  source->stream_.open(path, std::ios::binary);
  if (!source->stream_) {
    error = DisplayPath(path) + ": cannot be opened for reading";
    return nullptr;
  }
  source->size_ = size;
  return source;
}

bool FileSource::ReadAt(uint64_t offset, void* destination, size_t count) const {
  if (offset > size_ || count > size_ - offset) return false;
  if (count == 0) return true;
  stream_.clear();
  stream_.seekg(static_cast<std::streamoff>(offset));
  stream_.read(static_cast<char*>(destination), static_cast<std::streamsize>(count));
  return static_cast<size_t>(stream_.gcount()) == count;
}

std::string DisplayPath(const std::filesystem::path& path) {
  const auto text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace brennix::pack
