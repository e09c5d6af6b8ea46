// Applies the branding options to a stub's resources: icon group 5 and its images, the splash
// (bitmap 133) and banner (bitmap 130), and the version resource.
#pragma once

#include <cstdint>

#include "tools/pack/PackOptions.h"
#include "tools/pack/PackResult.h"
#include "tools/pack/ResourceTree.h"

namespace brennix::pack {

// Reads and checks the files and values the options name and replaces those resources in tree,
// each keeping the language it had (fallbackLanguage for one the stub lacks). Fails, naming the
// option and what is wrong, for an icon file that is not a valid icon, a picture that is not an
// uncompressed 24- or 32-bit bitmap of the size its dialog shows, a malformed version number, an
// unknown version key, a stub without a version resource, or a --resource that replaces the
// same resource; tree is then not to be written.
PackResult ApplyBranding(const PackOptions& options, uint16_t fallbackLanguage, ResourceTree& tree);

}  // namespace brennix::pack
