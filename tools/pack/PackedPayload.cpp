#include "tools/pack/PackedPayload.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "payload/BranchFilter.h"
#include "payload/PackedFormat.h"
#include "tools/pack/ByteSource.h"
#include "tools/pack/ZstdEncoder.h"

namespace brennix::pack {

namespace {

constexpr size_t kPieceSize = 1 << 20;
constexpr size_t kCarryRoom = 4;  // an unfinished branch waits for the next piece

// Executables (DOS and PE images start with "MZ") hold x86 code worth the branch filter.
PackResult ChooseFilter(const PackedInput& input, PackedFilter& filter) {
  char start[2] = {};
  std::ifstream file(input.path, std::ios::binary);
  if (!file) return PackResult::Fail(DisplayPath(input.path) + ": cannot be read");
  file.read(start, sizeof start);
  filter = file.gcount() == 2 && start[0] == 'M' && start[1] == 'Z' ? PackedFilter::X86Branches : PackedFilter::None;
  return PackResult::Ok();
}

// Moves what the encoder produced into the stream's file.
PackResult Flush(std::vector<uint8_t>& produced, TemporaryFileSource& stream) {
  const bool written = stream.Append(produced.data(), produced.size());
  produced.clear();
  return written ? PackResult::Ok() : PackResult::Fail("the compressed stream cannot be written to a temporary file");
}

PackResult AddFile(const PackedInput& input, PackedFilter filter, ZstdEncoder& encoder, TemporaryFileSource& stream) {
  std::ifstream file(input.path, std::ios::binary);
  if (!file) return PackResult::Fail(DisplayPath(input.path) + ": cannot be read");
  std::vector<uint8_t> buffer(kPieceSize + kCarryRoom);
  size_t filled = 0;
  X86BranchFilter branches(BranchDirection::Encode);
  uint64_t left = input.size;
  std::string error;
  std::vector<uint8_t> produced;
  while (left > 0) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(kPieceSize, left));
    file.read(reinterpret_cast<char*>(buffer.data() + filled), static_cast<std::streamsize>(want));
    if (static_cast<size_t>(file.gcount()) != want) {
      return PackResult::Fail(DisplayPath(input.path) + ": changed while it was packed");
    }
    filled += want;
    left -= want;
    size_t done = filled;
    if (filter == PackedFilter::X86Branches) {
      const size_t examined = branches.Convert(buffer.data(), filled);
      if (left > 0) done = examined;
    }
    if (!encoder.Add(buffer.data(), done, produced, error)) return PackResult::Fail("compression failed: " + error);
    if (PackResult result = Flush(produced, stream); !result) return result;
    std::memmove(buffer.data(), buffer.data() + done, filled - done);
    filled -= done;
  }
  return PackResult::Ok();
}

}  // namespace

PackResult BuildPackedPayload(std::vector<PackedInput> inputs, int level, PackedPayload& payload) {
  payload = PackedPayload();
  std::sort(inputs.begin(), inputs.end(), [](const PackedInput& a, const PackedInput& b) { return a.id > b.id; });
  for (const PackedInput& input : inputs) payload.decodedSize += input.size;

  std::string error;
  payload.stream = TemporaryFileSource::Create(error);
  if (!payload.stream) return PackResult::Fail(error);
  std::vector<uint8_t> produced = WritePackedStreamHeader(payload.decodedSize);
  if (PackResult result = Flush(produced, *payload.stream); !result) return result;
  ZstdEncoder encoder;
  if (!encoder.Start(level, kPackedWindowLogMax, payload.decodedSize, error)) {
    return PackResult::Fail("compression failed: " + error);
  }
  uint64_t offset = 0;
  for (const PackedInput& input : inputs) {
    PackedFileRecord record;
    record.offset = offset;
    record.size = input.size;
    if (PackResult result = ChooseFilter(input, record.filter); !result) return result;
    if (PackResult result = AddFile(input, record.filter, encoder, *payload.stream); !result) return result;
    payload.records[input.id] = WritePackedFileRecord(record);
    offset += input.size;
  }
  if (!encoder.Finish(produced, error)) return PackResult::Fail("compression failed: " + error);
  if (PackResult result = Flush(produced, *payload.stream); !result) return result;
  if (!payload.stream->FinishWriting()) return PackResult::Fail("the compressed stream cannot be read back");
  return PackResult::Ok();
}

}  // namespace brennix::pack
