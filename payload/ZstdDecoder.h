#pragma once
// The one door to the zstd decoder: decodes one frame from bytes in memory, piece by piece into
// a buffer of the caller's, with the window (the decoder's memory) capped. Errors come back as
// zstd's own text. Platform-free.
#include <cstddef>
#include <cstdint>
#include <string>

struct ZSTD_DCtx_s;

class ZstdDecoder {
public:
    ZstdDecoder();
    ~ZstdDecoder();
    ZstdDecoder(const ZstdDecoder&) = delete;
    ZstdDecoder& operator=(const ZstdDecoder&) = delete;

    // Starts decoding the frame in `input` (which must outlive the decoding), refusing frames
    // that need a window over 2^windowLogMax bytes. False with `error` when the decoder cannot
    // be made.
    bool Start(const void* input, size_t size, int windowLogMax, std::string& error);

    // Decodes up to `capacity` bytes into `output`; `produced` says how many. `frameEnded`
    // becomes true once the frame and its checksum are complete. False with `error` on a
    // decoder error, on input that ends inside the frame, and on bytes after the frame.
    bool Decode(uint8_t* output, size_t capacity, size_t& produced, bool& frameEnded, std::string& error);

private:
    ZSTD_DCtx_s* m_context = nullptr;
    const uint8_t* m_input = nullptr;
    size_t m_inputSize = 0;
    size_t m_inputUsed = 0;
};
