#include "tools/pack/ByteSource.h"

#include <cstring>
#include <random>
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

std::shared_ptr<TemporaryFileSource> TemporaryFileSource::Create(std::string& error) {
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
  if (ec) {
    error = "no temporary folder (" + ec.message() + ")";
    return nullptr;
  }
  std::random_device random;
  std::shared_ptr<TemporaryFileSource> file(new TemporaryFileSource());
  for (int attempt = 0; attempt < 16 && file->path_.empty(); ++attempt) {
    const std::filesystem::path path = folder / ("brennix-pack-" + std::to_string(random()) + ".tmp");
    if (std::filesystem::exists(path, ec)) continue;
    file->writer_.open(path, std::ios::binary | std::ios::trunc);
    if (file->writer_) file->path_ = path;
  }
  if (file->path_.empty()) {
    error = DisplayPath(folder) + ": cannot make a temporary file";
    return nullptr;
  }
  return file;
}

TemporaryFileSource::~TemporaryFileSource() {
  writer_.close();
  reader_.reset();
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove(path_, ec);
}

bool TemporaryFileSource::Append(const uint8_t* data, size_t count) {
  writer_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(count));
  size_ += count;
  return static_cast<bool>(writer_);
}

bool TemporaryFileSource::FinishWriting() {
  writer_.close();
  if (writer_.fail()) return false;
  std::string error;
  reader_ = FileSource::Open(path_, error);
  return reader_ != nullptr && reader_->Size() == size_;
}

bool TemporaryFileSource::ReadAt(uint64_t offset, void* destination, size_t count) const {
  return reader_ != nullptr && reader_->ReadAt(offset, destination, count);
}

std::string DisplayPath(const std::filesystem::path& path) {
  const auto text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace brennix::pack
