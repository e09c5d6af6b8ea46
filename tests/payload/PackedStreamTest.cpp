// The packed stream: records and header, and decoding file by file into sinks, with every way
// a stream can be wrong ending as a corrupt file with the decoder's reason.
#include "payload/BranchFilter.h"
#include "payload/PackedFormat.h"
#include "payload/PackedStream.h"
#include "tools/pack/ZstdEncoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

class MemorySink : public PackedSink {
public:
    bool Write(const uint8_t* data, size_t size) override
    {
        bytes.insert(bytes.end(), data, data + size);
        return !fail;
    }
    Bytes bytes;
    bool fail = false;
};

Bytes Compress(const Bytes& decoded, int windowLog = kPackedWindowLogMax)
{
    Bytes frame;
    std::string error;
    brennix::pack::ZstdEncoder encoder;
    EXPECT_TRUE(encoder.Start(3, windowLog, decoded.size(), error)) << error;
    EXPECT_TRUE(encoder.Add(decoded.data(), decoded.size(), frame, error)) << error;
    EXPECT_TRUE(encoder.Finish(frame, error)) << error;
    return frame;
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Three files: text, nothing, and data (1.5 MiB, more than one decoding piece).
struct Payload {
    Bytes files[3];
    PackedFileRecord records[3];
    Bytes decoded;

    Payload()
    {
        files[0] = Bytes(5000, 'a');
        for (size_t i = 0; i < (3u << 19); ++i)
            files[2].push_back(static_cast<uint8_t>((i * 7) ^ (i >> 9)));
        uint64_t offset = 0;
        for (int i = 0; i < 3; ++i) {
            records[i] = {offset, files[i].size(), PackedFilter::None};
            offset += files[i].size();
            decoded = Concat(decoded, files[i]);
        }
    }
    Bytes Stream() const { return Concat(WritePackedStreamHeader(decoded.size()), Compress(decoded)); }
};

TEST(PackedFormat, RecordsAndHeaderReadBackAndMalformedOnesAreNotRecords)
{
    const PackedFileRecord record{0x123456789A, 77, PackedFilter::X86Branches};
    const Bytes bytes = WritePackedFileRecord(record);
    ASSERT_EQ(bytes.size(), kPackedFileRecordSize);
    PackedFileRecord read;
    ASSERT_TRUE(ParsePackedFileRecord(bytes.data(), bytes.size(), read));
    EXPECT_EQ(read.offset, record.offset);
    EXPECT_EQ(read.size, record.size);
    EXPECT_EQ(read.filter, record.filter);

    const struct {
        const char* what;
        size_t index;
        uint8_t value;
    } spoilt[] = {{"marker", 0, 'X'}, {"version", 4, 2}, {"filter", 5, 2}, {"reserved", 6, 1}};
    for (const auto& c : spoilt) {
        Bytes bad = bytes;
        bad[c.index] = c.value;
        EXPECT_FALSE(ParsePackedFileRecord(bad.data(), bad.size(), read)) << c.what;
    }
    EXPECT_FALSE(ParsePackedFileRecord(bytes.data(), bytes.size() - 1, read)) << "short";
    Bytes longer = Concat(bytes, {0});
    EXPECT_FALSE(ParsePackedFileRecord(longer.data(), longer.size(), read)) << "long";

    uint64_t size = 0;
    const Bytes header = WritePackedStreamHeader(1ull << 33);
    ASSERT_TRUE(ParsePackedStreamHeader(header.data(), header.size(), size));
    EXPECT_EQ(size, 1ull << 33);
    EXPECT_FALSE(ParsePackedStreamHeader(header.data(), header.size() - 1, size));
    EXPECT_FALSE(ParsePackedStreamHeader(bytes.data(), bytes.size(), size)) << "a record is no header";
}

TEST(PackedStream, DecodesEachFileInOrderAndSkipsUnlistedOnes)
{
    const Payload payload;
    const Bytes stream = payload.Stream();
    for (bool skipFirst : {false, true}) {
        PackedStream packed;
        packed.Open(stream.data(), stream.size());
        EXPECT_TRUE(packed.IsPresent());
        for (int i = skipFirst ? 1 : 0; i < 3; ++i) {
            MemorySink sink;
            std::string error;
            EXPECT_EQ(packed.DecodeFile(payload.records[i], sink, error), Result::Ok) << error;
            EXPECT_EQ(sink.bytes, payload.files[i]) << "file " << i;
        }
    }
    EXPECT_FALSE(PackedStream().IsPresent());
}

TEST(PackedStream, UndoesTheBranchFilter)
{
    Bytes code;
    for (uint32_t i = 0; i < 300000; ++i)
        code.push_back(i % 5 == 0 ? 0xE8 : static_cast<uint8_t>(i % 3 == 0 ? 0 : i));
    Bytes filtered = code;
    // What the packer feeds the encoder; the stream's pieces split branches differently.
    X86BranchFilter(BranchDirection::Encode).Convert(filtered.data(), filtered.size());
    ASSERT_NE(filtered, code);
    const Bytes stream = Concat(WritePackedStreamHeader(filtered.size()), Compress(filtered));
    PackedStream packed;
    packed.Open(stream.data(), stream.size());
    MemorySink sink;
    std::string error;
    ASSERT_EQ(packed.DecodeFile({0, code.size(), PackedFilter::X86Branches}, sink, error), Result::Ok) << error;
    EXPECT_EQ(sink.bytes, code);
}

// A frame that asks for a 2^28-byte window and holds four raw bytes.
Bytes FrameWithWindowLog28()
{
    return {0x28, 0xB5, 0x2F, 0xFD, 0x00, (28 - 10) << 3, (4 << 3) | 1, 0, 0, 'd', 'a', 't', 'a'};
}

TEST(PackedStream, EveryWrongStreamFailsAsCorruptWithTheDecodersReason)
{
    const Payload payload;
    const Bytes header = WritePackedStreamHeader(payload.decoded.size());
    const Bytes frame = Compress(payload.decoded);
    Bytes flipped = frame;
    flipped[flipped.size() / 2] ^= 0x55;
    const Bytes smallerHeader = WritePackedStreamHeader(payload.decoded.size() - 1);
    struct Case {
        const char* what;
        Bytes stream;
        const char* reason;  // part of the error text
    };
    const Case cases[] = {
        {"flipped bytes", Concat(header, flipped), ""},
        {"truncated", Concat(header, Bytes(frame.begin(), frame.end() - 100)), ""},
        {"extra bytes", Concat(Concat(header, frame), {1, 2, 3}), "after the end"},
        {"header says more", Concat(WritePackedStreamHeader(payload.decoded.size() + 10), frame), ""},
        {"header says less", Concat(smallerHeader, frame), ""},
        {"no header", frame, "header"},
        {"empty", {}, "header"},
        {"window too large", Concat(WritePackedStreamHeader(4), FrameWithWindowLog28()), "memory"},
    };
    for (const Case& c : cases) {
        PackedStream packed;
        packed.Open(c.stream.data(), c.stream.size());
        std::string error;
        ResultCode result = Result::Ok;
        for (int i = 0; i < 3 && result == Result::Ok; ++i) {
            PackedFileRecord record = payload.records[i];
            if (c.what == std::string("window too large"))
                record = {0, 4, PackedFilter::None};
            else if (c.what == std::string("header says less") && i == 2)
                record.size -= 1;
            else if (c.what == std::string("header says more") && i == 2)
                record.size += 10;  // and the last record with it: the frame ends first
            MemorySink sink;
            result = packed.DecodeFile(record, sink, error);
            if (c.what == std::string("window too large"))
                break;
        }
        EXPECT_EQ(result, Result::CorruptFile) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
        EXPECT_FALSE(error.empty()) << c.what;
        MemorySink after;
        std::string again;
        EXPECT_EQ(packed.DecodeFile(payload.records[0], after, again), Result::CorruptFile) << c.what << " stays failed";
    }
}

TEST(PackedStream, RecordsOutOfOrderOrOutsideTheStreamAndFailingSinks)
{
    const Payload payload;
    const Bytes stream = payload.Stream();
    const struct {
        const char* what;
        PackedFileRecord first, second;
    } cases[] = {
        {"backwards", payload.records[2], payload.records[0]},
        {"past the end", {payload.decoded.size(), 1, PackedFilter::None}, payload.records[0]},
        {"longer than the stream", {1, payload.decoded.size(), PackedFilter::None}, payload.records[0]},
    };
    for (const auto& c : cases) {
        PackedStream packed;
        packed.Open(stream.data(), stream.size());
        MemorySink sink;
        std::string error;
        ResultCode result = packed.DecodeFile(c.first, sink, error);
        if (result == Result::Ok)
            result = packed.DecodeFile(c.second, sink, error);
        EXPECT_EQ(result, Result::CorruptFile) << c.what;
    }
    PackedStream packed;
    packed.Open(stream.data(), stream.size());
    MemorySink failing;
    failing.fail = true;
    std::string error;
    EXPECT_EQ(packed.DecodeFile(payload.records[0], failing, error), Result::Fail);
}

} // namespace
