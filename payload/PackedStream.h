#pragma once
// Decoding the packed stream (payload/PackedFormat.h) file by file, in the order the files are
// extracted, into a sink that writes them. Memory stays bounded by the decoder's window plus
// one piece buffer, whatever the payload's size. Platform-free: the stub gives it a file, the
// fuzzer a sink in memory.
#include "app/ResultCode.h"
#include "payload/PackedFormat.h"
#include "payload/ZstdDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Where decoded bytes go.
class PackedSink {
public:
    virtual ~PackedSink() = default;
    // False when the bytes could not all be written.
    virtual bool Write(const uint8_t* data, size_t size) = 0;
};

class PackedStream {
public:
    // Takes the stream resource's bytes, which must outlive the stream. A malformed header is
    // reported by the first DecodeFile.
    void Open(const void* data, size_t size);
    // Whether the setup file has a packed stream at all.
    bool IsPresent() const { return m_present; }

    // Decodes the bytes `record` describes and writes them to `sink`, undoing the record's
    // filter. Files must come in stream order; bytes of files the manifest skips are decoded
    // and dropped. When the record's bytes end the stream, the frame's end and checksum are
    // checked too. 0 when all was written; 0x80040167 with `error` when the stream is malformed,
    // corrupt, truncated, longer than its header says, out of order, or needs a larger window
    // than the stub allows; E_FAIL when the sink fails. After a failure every later call fails.
    ResultCode DecodeFile(const PackedFileRecord& record, PackedSink& sink, std::string& error);

private:
    ResultCode Fail(const std::string& why, std::string& error);
    // Decodes `count` bytes, to `sink` (with `filter` undone) or, without one, to nowhere.
    bool Decode(uint64_t count, PackedFilter filter, PackedSink* sink, std::string& error, bool& sinkFailed);
    bool FinishFrame(std::string& error);

    bool m_present = false;
    bool m_started = false;
    bool m_frameEnded = false;
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    uint64_t m_decodedSize = 0;
    uint64_t m_position = 0;  // decoded bytes so far
    std::string m_failure;     // set after the first failure
    ZstdDecoder m_decoder;
    std::vector<uint8_t> m_buffer;
};
