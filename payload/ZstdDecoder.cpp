#include "payload/ZstdDecoder.h"

#include <zstd.h>

ZstdDecoder::ZstdDecoder() = default;

ZstdDecoder::~ZstdDecoder()
{
    ZSTD_freeDCtx(m_context);
}

bool ZstdDecoder::Start(const void* input, size_t size, int windowLogMax, std::string& error)
{
    if (m_context == nullptr)
        m_context = ZSTD_createDCtx();
    if (m_context == nullptr) {
        error = "Allocation error";
        return false;
    }
    ZSTD_DCtx_reset(m_context, ZSTD_reset_session_and_parameters);
    const size_t set = ZSTD_DCtx_setParameter(m_context, ZSTD_d_windowLogMax, windowLogMax);
    if (ZSTD_isError(set)) {
        error = ZSTD_getErrorName(set);
        return false;
    }
    m_input = static_cast<const uint8_t*>(input);
    m_inputSize = size;
    m_inputUsed = 0;
    return true;
}

bool ZstdDecoder::Decode(uint8_t* output, size_t capacity, size_t& produced, bool& frameEnded, std::string& error)
{
    ZSTD_inBuffer in = {m_input, m_inputSize, m_inputUsed};
    ZSTD_outBuffer out = {output, capacity, 0};
    const size_t left = ZSTD_decompressStream(m_context, &out, &in);
    m_inputUsed = in.pos;
    produced = out.pos;
    frameEnded = false;
    if (ZSTD_isError(left)) {
        error = ZSTD_getErrorName(left);
        return false;
    }
    if (left == 0) {
        frameEnded = true;
        if (m_inputUsed != m_inputSize) {
            error = "Data after the end of the frame";
            return false;
        }
        return true;
    }
    // With room left and no input left, the decoder stopped for want of input: it would wait
    // forever for bytes that are not there.
    if (out.pos < out.size && m_inputUsed == m_inputSize) {
        error = "Frame is truncated";
        return false;
    }
    return true;
}
