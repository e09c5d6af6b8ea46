#pragma once
// The compressed payload's layout, shared by the packer (which writes it) and the stub (which
// reads it). A compressed setup file holds one "TOOLKIT" resource named "PACKED": a header and
// then one zstd frame with every packed file's bytes back to back (the "packed stream"). Each
// packed file keeps its numbered "TOOLKIT" resource, which holds only a file record telling
// where in the decoded stream its bytes are. Platform-free.
#include <cstddef>
#include <cstdint>
#include <vector>

// Name of the stream resource (UTF-16); the stub's enumeration skips named resources.
constexpr char16_t kPackedStreamName[] = u"PACKED";

// The largest decoder window the stub accepts (2^27 bytes = 128 MiB), and so the packer's.
constexpr int kPackedWindowLogMax = 27;

// Stream header: "BRXS", version 1, three zero bytes, the decoded length (64-bit little-endian).
constexpr size_t kPackedStreamHeaderSize = 16;

// What a packed file's bytes went through before compression.
enum class PackedFilter : uint8_t { None = 0, X86Branches = 1 };

// File record: "BRXF", version 1, filter, two zero bytes, then the offset of the file's bytes
// in the decoded stream and their count (64-bit little-endian each).
constexpr size_t kPackedFileRecordSize = 24;

struct PackedFileRecord {
    uint64_t offset = 0;
    uint64_t size = 0;
    PackedFilter filter = PackedFilter::None;
};

// True when `data` is a well-formed file record (exact size, marker, version, known filter).
bool ParsePackedFileRecord(const void* data, size_t size, PackedFileRecord& record);
std::vector<uint8_t> WritePackedFileRecord(const PackedFileRecord& record);

// True when `data` begins with a well-formed stream header; `decodedSize` is its length field.
bool ParsePackedStreamHeader(const void* data, size_t size, uint64_t& decodedSize);
std::vector<uint8_t> WritePackedStreamHeader(uint64_t decodedSize);
