#pragma once
// Puts an information block at the very end of a setup file, where the stub looks for it, or
// takes it away again.
//
// Layout of the tag: [zero padding] "MRDC" [data] [tail], the tail being "BT" and the data size
// (32-bit little-endian); the stub ignores the tail, the tool reads it to find its own earlier
// tag in an unsigned file. In a signed file the tag goes inside the certificate table, after
// the signature, where the signature's hash does not reach; the padding keeps the certificate
// entry a multiple of 8 bytes long.
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// Replaces any earlier tag of `image` by one carrying `info`. Returns false with a message in
// `error`, `image` untouched, when `image` is not a PE file, a signed file's certificate table
// is not at its end or is malformed, or `info` is empty, longer than 4106 bytes or holds the
// marker.
bool ApplyTag(Bytes& image, const Bytes& info, std::string& error);

// Takes any tag away from `image`; `removed` tells whether there was one. Fails as ApplyTag
// does on the file itself.
bool RemoveTag(Bytes& image, bool& removed, std::string& error);
