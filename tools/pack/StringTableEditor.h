// Applies --set and --unset to the string table of a resource tree.
#pragma once

#include <vector>

#include "tools/pack/PackOptions.h"
#include "tools/pack/PackResult.h"
#include "tools/pack/ResourceTree.h"

namespace brennix::pack {

// Sets or empties each edited entry in every language of its block. A block the stub lacks is
// made in the language of the stub's other string blocks (or fallbackLanguage when it has
// none); a block left with only empty strings is removed, which reads the same. Fails when a
// block of the stub is malformed or unreadable.
PackResult ApplyStringEdits(const std::vector<StringEdit>& edits, uint16_t fallbackLanguage, ResourceTree& tree);

}  // namespace brennix::pack
