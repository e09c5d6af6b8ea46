#include "payload/PackedStream.h"

#include "payload/BranchFilter.h"

#include <algorithm>
#include <cstring>

namespace {

// Decoded bytes are written in pieces of this size; a few bytes more hold a branch that
// straddles two pieces.
constexpr size_t kPieceSize = 1 << 20;
constexpr size_t kCarryRoom = 4;

} // namespace

void PackedStream::Open(const void* data, size_t size)
{
    m_present = true;
    m_data = static_cast<const uint8_t*>(data);
    m_size = size;
}

ResultCode PackedStream::Fail(const std::string& why, std::string& error)
{
    if (m_failure.empty())
        m_failure = why;
    error = m_failure;
    return Result::CorruptFile;
}

ResultCode PackedStream::DecodeFile(const PackedFileRecord& record, PackedSink& sink, std::string& error)
{
    if (!m_failure.empty())
        return Fail(m_failure, error);
    if (!m_started) {
        if (!ParsePackedStreamHeader(m_data, m_size, m_decodedSize))
            return Fail("Stream header is malformed", error);
        if (!m_decoder.Start(m_data + kPackedStreamHeaderSize, m_size - kPackedStreamHeaderSize, kPackedWindowLogMax, error))
            return Fail(error, error);
        m_buffer.resize(kPieceSize + kCarryRoom);
        m_started = true;
    }
    if (record.offset < m_position || record.offset > m_decodedSize || record.size > m_decodedSize - record.offset)
        return Fail("File lies outside the stream or out of order", error);

    bool sinkFailed = false;
    if (!Decode(record.offset - m_position, PackedFilter::None, nullptr, error, sinkFailed) ||
        !Decode(record.size, record.filter, &sink, error, sinkFailed)) {
        if (sinkFailed)
            return Result::Fail;
        return Fail(error, error);
    }
    if (m_position == m_decodedSize && !FinishFrame(error))
        return Fail(error, error);
    return Result::Ok;
}

bool PackedStream::Decode(uint64_t count, PackedFilter filter, PackedSink* sink, std::string& error, bool& sinkFailed)
{
    uint8_t* buffer = m_buffer.data();
    size_t filled = 0;  // bytes at the front of the buffer not yet written
    X86BranchFilter branches(BranchDirection::Decode);
    uint64_t left = count;
    while (left > 0) {
        if (m_frameEnded) {
            error = "Stream ends before its files do";
            return false;
        }
        const size_t room = static_cast<size_t>(std::min<uint64_t>(kPieceSize + kCarryRoom - filled, left));
        size_t produced = 0;
        if (!m_decoder.Decode(buffer + filled, room, produced, m_frameEnded, error))
            return false;
        filled += produced;
        left -= produced;
        m_position += produced;
        if (sink == nullptr) {
            filled = 0;
            continue;
        }
        size_t done = filled;
        if (filter == PackedFilter::X86Branches) {
            const size_t examined = branches.Convert(buffer, filled);
            // The file's last few bytes hold no whole branch; before that, unexamined bytes
            // wait for the next piece.
            if (left > 0)
                done = examined;
        }
        if (done > 0 && !sink->Write(buffer, done)) {
            sinkFailed = true;
            error = "Write failed";
            return false;
        }
        std::memmove(buffer, buffer + done, filled - done);
        filled -= done;
    }
    return true;
}

bool PackedStream::FinishFrame(std::string& error)
{
    // Every announced byte is out: the frame must end here, checksum included, with no more
    // decoded bytes and no input after it.
    uint8_t extra[1];
    while (!m_frameEnded) {
        size_t produced = 0;
        if (!m_decoder.Decode(extra, sizeof extra, produced, m_frameEnded, error))
            return false;
        if (produced > 0) {
            error = "Stream holds more bytes than its header says";
            return false;
        }
    }
    return true;
}
