// The PE image check sum, computed over bytes as they are written so that a large file is not
// read twice.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brennix::pack {

// Feed every byte of the file in order, with the check sum field itself as zero, then Finish.
class PeCheckSum {
 public:
  void Add(const uint8_t* bytes, size_t count);
  // The value for the header's CheckSum field of a file of the bytes fed so far.
  uint32_t Finish() const;

 private:
  uint64_t sum_ = 0;
  uint64_t length_ = 0;
};

}  // namespace brennix::pack
