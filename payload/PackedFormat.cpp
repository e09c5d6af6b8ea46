#include "payload/PackedFormat.h"

#include <cstring>

namespace {

constexpr uint8_t kStreamMarker[4] = {'B', 'R', 'X', 'S'};
constexpr uint8_t kRecordMarker[4] = {'B', 'R', 'X', 'F'};
constexpr uint8_t kVersion = 1;

uint64_t Read64(const uint8_t* bytes)
{
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

void Append64(std::vector<uint8_t>& out, uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The four marker bytes, the version, and `flag` and two zero bytes after it.
bool HasPrefix(const uint8_t* bytes, const uint8_t (&marker)[4], uint8_t& flag)
{
    if (std::memcmp(bytes, marker, 4) != 0 || bytes[4] != kVersion || bytes[6] != 0 || bytes[7] != 0)
        return false;
    flag = bytes[5];
    return true;
}

void AppendPrefix(std::vector<uint8_t>& out, const uint8_t (&marker)[4], uint8_t flag)
{
    out.insert(out.end(), marker, marker + 4);
    out.insert(out.end(), {kVersion, flag, 0, 0});
}

} // namespace

bool ParsePackedFileRecord(const void* data, size_t size, PackedFileRecord& record)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    uint8_t filter = 0;
    if (size != kPackedFileRecordSize || !HasPrefix(bytes, kRecordMarker, filter))
        return false;
    if (filter != static_cast<uint8_t>(PackedFilter::None) && filter != static_cast<uint8_t>(PackedFilter::X86Branches))
        return false;
    record.filter = static_cast<PackedFilter>(filter);
    record.offset = Read64(bytes + 8);
    record.size = Read64(bytes + 16);
    return true;
}

std::vector<uint8_t> WritePackedFileRecord(const PackedFileRecord& record)
{
    std::vector<uint8_t> out;
    AppendPrefix(out, kRecordMarker, static_cast<uint8_t>(record.filter));
    Append64(out, record.offset);
    Append64(out, record.size);
    return out;
}

bool ParsePackedStreamHeader(const void* data, size_t size, uint64_t& decodedSize)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    uint8_t flag = 0;
    if (size < kPackedStreamHeaderSize || !HasPrefix(bytes, kStreamMarker, flag) || flag != 0)
        return false;
    decodedSize = Read64(bytes + 8);
    return true;
}

std::vector<uint8_t> WritePackedStreamHeader(uint64_t decodedSize)
{
    std::vector<uint8_t> out;
    AppendPrefix(out, kStreamMarker, 0);
    Append64(out, decodedSize);
    return out;
}
