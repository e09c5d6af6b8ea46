// Random-access reading of an input (the stub, a payload file, or bytes in memory), so that large
// inputs are read in pieces instead of being loaded whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tools/pack/PackResult.h"

namespace brennix::pack {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Copies count bytes starting at offset into destination. Returns false when the range is not
  // wholly inside the source or the read fails; destination is then unspecified.
  virtual bool ReadAt(uint64_t offset, void* destination, size_t count) const = 0;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t offset, void* destination, size_t count) const override;

 private:
  std::vector<uint8_t> bytes_;
};

class FileSource : public ByteSource {
 public:
  // Opens path for reading. Returns nullptr and sets error (naming the path) when it is missing,
  // not a regular file, or cannot be opened.
  static std::unique_ptr<FileSource> Open(const std::filesystem::path& path, std::string& error);

  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* destination, size_t count) const override;

 private:
  FileSource() = default;

  mutable std::ifstream stream_;
  uint64_t size_ = 0;
};

// A file in the system's temporary folder, written once from its start and then read as a
// source: it holds what the packer makes that can be as large as the payload (the compressed
// stream), so memory stays small. The file is removed when the last reference goes.
class TemporaryFileSource : public ByteSource {
 public:
  // Creates the file. Returns nullptr and sets error when it cannot be made.
  static std::shared_ptr<TemporaryFileSource> Create(std::string& error);
  ~TemporaryFileSource() override;

  // Appends bytes while writing. False when the write failed.
  bool Append(const uint8_t* data, size_t count);
  // Ends writing and opens the file for reading. False when a write or the reopening failed.
  bool FinishWriting();

  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* destination, size_t count) const override;

 private:
  TemporaryFileSource() = default;

  std::filesystem::path path_;
  std::ofstream writer_;
  std::unique_ptr<FileSource> reader_;
  uint64_t size_ = 0;
};

// The size of the regular file at path. Fails, naming the path, when it is missing, not a
// regular file, or its size cannot be read.
PackResult RegularFileSize(const std::filesystem::path& path, uint64_t& size);

// Text form of a path for messages, in UTF-8.
std::string DisplayPath(const std::filesystem::path& path);

}  // namespace brennix::pack
