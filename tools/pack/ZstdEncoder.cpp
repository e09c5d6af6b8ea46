#include "tools/pack/ZstdEncoder.h"

#include <zstd.h>

namespace brennix::pack {

namespace {

bool Check(size_t code, std::string& error) {
  if (!ZSTD_isError(code)) return true;
  error = ZSTD_getErrorName(code);
  return false;
}

}  // namespace

ZstdEncoder::ZstdEncoder() = default;

ZstdEncoder::~ZstdEncoder() { ZSTD_freeCCtx(context_); }

bool ZstdEncoder::Start(int level, int windowLog, uint64_t totalSize, std::string& error) {
  if (context_ == nullptr) context_ = ZSTD_createCCtx();
  if (context_ == nullptr) {
    error = "Allocation error";
    return false;
  }
  ZSTD_CCtx_reset(context_, ZSTD_reset_session_and_parameters);
  // Single-threaded, so that every build of the packer writes the same bytes.
  return Check(ZSTD_CCtx_setParameter(context_, ZSTD_c_compressionLevel, level), error) &&
         Check(ZSTD_CCtx_setParameter(context_, ZSTD_c_windowLog, windowLog), error) &&
         Check(ZSTD_CCtx_setParameter(context_, ZSTD_c_enableLongDistanceMatching, 1), error) &&
         Check(ZSTD_CCtx_setParameter(context_, ZSTD_c_checksumFlag, 1), error) &&
         Check(ZSTD_CCtx_setPledgedSrcSize(context_, totalSize), error);
}

bool ZstdEncoder::Add(const uint8_t* data, size_t size, std::vector<uint8_t>& output, std::string& error) {
  return Run(data, size, false, output, error);
}

bool ZstdEncoder::Finish(std::vector<uint8_t>& output, std::string& error) {
  return Run(nullptr, 0, true, output, error);
}

bool ZstdEncoder::Run(const uint8_t* data, size_t size, bool end, std::vector<uint8_t>& output, std::string& error) {
  ZSTD_inBuffer in = {data, size, 0};
  const ZSTD_EndDirective mode = end ? ZSTD_e_end : ZSTD_e_continue;
  for (;;) {
    const size_t used = output.size();
    output.resize(used + ZSTD_CStreamOutSize());
    ZSTD_outBuffer out = {output.data() + used, ZSTD_CStreamOutSize(), 0};
    const size_t left = ZSTD_compressStream2(context_, &out, &in, mode);
    output.resize(used + out.pos);
    if (!Check(left, error)) return false;
    if (end ? left == 0 : in.pos == in.size) return true;
  }
}

}  // namespace brennix::pack
