// The packer's one door to the zstd encoder: one frame, fed piece by piece, collected in
// memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ZSTD_CCtx_s;

namespace brennix::pack {

class ZstdEncoder {
 public:
  ZstdEncoder();
  ~ZstdEncoder();
  ZstdEncoder(const ZstdEncoder&) = delete;
  ZstdEncoder& operator=(const ZstdEncoder&) = delete;

  // Starts a frame of exactly totalSize input bytes at level, with long-range matching over a
  // window of at most 2^windowLog bytes and a checksum. False with error when zstd refuses.
  bool Start(int level, int windowLog, uint64_t totalSize, std::string& error);
  // Compresses the next input bytes, appending to output; finish ends the frame.
  bool Add(const uint8_t* data, size_t size, std::vector<uint8_t>& output, std::string& error);
  bool Finish(std::vector<uint8_t>& output, std::string& error);

 private:
  bool Run(const uint8_t* data, size_t size, bool end, std::vector<uint8_t>& output, std::string& error);

  ZSTD_CCtx_s* context_ = nullptr;
};

}  // namespace brennix::pack
