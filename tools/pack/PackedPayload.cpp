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

PackResult AddFile(const PackedInput& input, PackedFilter filter, ZstdEncoder& encoder, std::vector<uint8_t>& stream) {
  std::ifstream file(input.path, std::ios::binary);
  if (!file) return PackResult::Fail(DisplayPath(input.path) + ": cannot be read");
  std::vector<uint8_t> buffer(kPieceSize + kCarryRoom);
  size_t filled = 0;
  X86BranchFilter branches(BranchDirection::Encode);
  uint64_t left = input.size;
  std::string error;
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
    if (!encoder.Add(buffer.data(), done, stream, error)) return PackResult::Fail("compression failed: " + error);
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

  payload.stream = WritePackedStreamHeader(payload.decodedSize);
  ZstdEncoder encoder;
  std::string error;
  if (!encoder.Start(level, kPackedWindowLogMax, payload.decodedSize, error)) {
    return PackResult::Fail("compression failed: " + error);
  }
  uint64_t offset = 0;
  for (const PackedInput& input : inputs) {
    PackedFileRecord record;
    record.offset = offset;
    record.size = input.size;
    if (PackResult result = ChooseFilter(input, record.filter); !result) return result;
    if (PackResult result = AddFile(input, record.filter, encoder, payload.stream); !result) return result;
    payload.records[input.id] = WritePackedFileRecord(record);
    offset += input.size;
  }
  if (!encoder.Finish(payload.stream, error)) return PackResult::Fail("compression failed: " + error);
  return PackResult::Ok();
}

}  // namespace brennix::pack
