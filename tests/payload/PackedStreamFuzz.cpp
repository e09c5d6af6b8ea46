// Feeds arbitrary bytes through the stub's decode-to-file path (PackedStream into a sink):
// as the whole stream resource, and as damage (flips, a cut, extra bytes) to a well-formed
// stream made from the input, so the decoder's deeper paths are reached too. Every outcome
// must be success or a corrupt file, with bytes written never beyond the records' sizes.
#include "payload/PackedFormat.h"
#include "payload/PackedStream.h"
#include "tools/pack/ZstdEncoder.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

class CountingSink : public PackedSink {
public:
    bool Write(const uint8_t*, size_t size) override
    {
        written += size;
        return true;
    }
    uint64_t written = 0;
};

void Decode(const Bytes& stream, const PackedFileRecord* records, int count)
{
    PackedStream packed;
    packed.Open(stream.data(), stream.size());
    for (int i = 0; i < count; ++i) {
        CountingSink sink;
        std::string error;
        const ResultCode result = packed.DecodeFile(records[i], sink, error);
        if (sink.written > records[i].size)
            abort();
        if (result == Result::Ok && sink.written != records[i].size)
            abort();
        if (result != Result::Ok) {
            if (result != Result::CorruptFile || error.empty())
                abort();
            return;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const uint8_t mode = data[0];
    const uint8_t damage = data[1];
    const uint16_t where = static_cast<uint16_t>(data[2] | data[3] << 8);
    const Bytes input(data + 4, data + size);

    // Two files splitting the input; the second filtered when the mode says so.
    const uint64_t split = input.empty() ? 0 : where % (input.size() + 1);
    const PackedFileRecord records[2] = {
        {0, split, PackedFilter::None},
        {split, input.size() - split, (mode & 1) ? PackedFilter::X86Branches : PackedFilter::None},
    };
    if (mode & 2) {
        Decode(input, records, 2);  // the bytes as the stream resource itself
        return 0;
    }
    Bytes frame;
    std::string error;
    brennix::pack::ZstdEncoder encoder;
    if (!encoder.Start(1, kPackedWindowLogMax, input.size(), error) || !encoder.Add(input.data(), input.size(), frame, error) ||
        !encoder.Finish(frame, error))
        abort();
    Bytes stream = WritePackedStreamHeader(input.size());
    stream.insert(stream.end(), frame.begin(), frame.end());
    switch (damage % 4) {
    case 0:
        break;
    case 1:
        stream[where % stream.size()] ^= static_cast<uint8_t>(damage | 1);
        break;
    case 2:
        stream.resize(where % stream.size());
        break;
    case 3:
        stream.insert(stream.end(), damage / 4 + 1, damage);
        break;
    }
    Decode(stream, records, 2);
    return 0;
}
