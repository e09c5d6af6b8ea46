// Makes a setup file: reads the stub, applies the command line's payload, resources and
// strings, and writes the result.
#pragma once

#include <ostream>

#include "tools/pack/PackOptions.h"
#include "tools/pack/PackResult.h"

namespace brennix::pack {

// Packs as options say. Writes a one-line summary to report and warnings to warnings. Fails,
// with a message naming the input at fault, when the stub is not a usable PE file, an input is
// missing or unreadable, an id is duplicated, the image would exceed its size limit, or the
// output cannot be written; no output file is left then.
PackResult Pack(const PackOptions& options, std::ostream& report, std::ostream& warnings);

}  // namespace brennix::pack
