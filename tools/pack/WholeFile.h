// Reading a small input (an icon, a picture, an argument file) whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "tools/pack/PackResult.h"

namespace brennix::pack {

// Reads the regular file at path into bytes. Fails, naming the path, when it is missing, not a
// regular file, larger than maxSize ("larger than ... bytes"), or unreadable.
PackResult ReadWholeFile(const std::filesystem::path& path, uint64_t maxSize, std::vector<uint8_t>& bytes);

}  // namespace brennix::pack
