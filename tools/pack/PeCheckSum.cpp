#include "tools/pack/PeCheckSum.h"

namespace brennix::pack {

namespace {

uint32_t Fold(uint64_t sum) {
  while (sum >> 16) sum = (sum & 0xffff) + (sum >> 16);
  return static_cast<uint32_t>(sum);
}

}  // namespace

// The sum of the file's 16-bit little-endian words with end-around carry, plus the file length.
// A trailing odd byte counts as a word with a zero high byte.
void PeCheckSum::Add(const uint8_t* bytes, size_t count) {
  size_t i = 0;
  if ((length_ & 1) != 0 && count != 0) {
    sum_ += uint64_t{bytes[0]} << 8;
    i = 1;
  }
  uint64_t sum = 0;
  // Four bytes at a time: a 32-bit word is its two 16-bit words, high x 2^16 + low, and 2^16 is 1
  // modulo 2^16 - 1, in which the end-around carry sums; the fold below gives the same result.
  for (; i + 3 < count; i += 4) {
    sum += uint32_t{bytes[i]} | (uint32_t{bytes[i + 1]} << 8) | (uint32_t{bytes[i + 2]} << 16) |
           (uint32_t{bytes[i + 3]} << 24);
  }
  for (; i + 1 < count; i += 2) sum += bytes[i] | (uint32_t{bytes[i + 1]} << 8);
  if (i < count) sum += bytes[i];
  // Folding per call keeps the accumulator far from overflow for any file size.
  sum_ = Fold(sum_ + Fold(sum));
  length_ += count;
}

uint32_t PeCheckSum::Finish() const {
  return static_cast<uint32_t>(Fold(sum_) + length_);
}

}  // namespace brennix::pack
