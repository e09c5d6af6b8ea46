#include "tools/pack/OutputFile.h"

#include <chrono>
#include <system_error>

#include "tools/pack/ByteSource.h"

namespace brennix::pack {

OutputFile::~OutputFile() {
  if (temporary_.empty() || committed_) return;
  stream_.close();
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
}

PackResult OutputFile::Create(const std::filesystem::path& destination) {
  destination_ = destination;
  // A name of its own per run, so two packs into one folder do not meet.
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  temporary_ = destination;
  temporary_ += ".partial-" + std::to_string(static_cast<unsigned long long>(stamp));
  stream_.open(temporary_, std::ios::binary | std::ios::trunc);
  if (!stream_) {
    const PackResult failure = PackResult::Fail(DisplayPath(destination) + ": cannot be created");
    temporary_.clear();
    return failure;
  }
  return PackResult::Ok();
}

PackResult OutputFile::Write(const uint8_t* bytes, size_t count) {
  stream_.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(count));
  if (!stream_) return PackResult::Fail(DisplayPath(destination_) + ": write failed (disk full?)");
  position_ += count;
  return PackResult::Ok();
}

PackResult OutputFile::Overwrite(uint64_t offset, const uint8_t* bytes, size_t count) {
  stream_.seekp(static_cast<std::streamoff>(offset));
  stream_.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(count));
  stream_.seekp(static_cast<std::streamoff>(position_));
  if (!stream_) return PackResult::Fail(DisplayPath(destination_) + ": write failed");
  return PackResult::Ok();
}

PackResult OutputFile::Commit() {
  stream_.close();
  if (stream_.fail()) return PackResult::Fail(DisplayPath(destination_) + ": write failed on close");
  std::error_code ec;
  std::filesystem::rename(temporary_, destination_, ec);
  if (ec) return PackResult::Fail(DisplayPath(destination_) + ": cannot be replaced (" + ec.message() + ")");
  committed_ = true;
  return PackResult::Ok();
}

}  // namespace brennix::pack
