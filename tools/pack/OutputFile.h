// A file written under a temporary name beside its destination and renamed into place only
// when complete, so a failed run leaves no partial output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "tools/pack/PackResult.h"

namespace brennix::pack {

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Removes the temporary file unless Commit succeeded.
  ~OutputFile();

  // Creates the temporary file for destination. Fails when it cannot be created.
  PackResult Create(const std::filesystem::path& destination);
  // Appends bytes. Fails (naming the destination) when the write fails, e.g. on a full disk.
  PackResult Write(const uint8_t* bytes, size_t count);
  // Overwrites already written bytes at offset, leaving the write position at the end.
  PackResult Overwrite(uint64_t offset, const uint8_t* bytes, size_t count);
  uint64_t position() const { return position_; }
  // Flushes, closes and renames the file to its destination, replacing any file there.
  PackResult Commit();

 private:
  std::filesystem::path destination_;
  std::filesystem::path temporary_;
  std::ofstream stream_;
  uint64_t position_ = 0;
  bool committed_ = false;
};

}  // namespace brennix::pack
