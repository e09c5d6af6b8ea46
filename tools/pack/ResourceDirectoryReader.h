// Reads the resource directory of a PE image into a ResourceTree whose entries point at their
// bytes in the image file.
#pragma once

#include <memory>

#include "tools/pack/ByteSource.h"
#include "tools/pack/PackResult.h"
#include "tools/pack/PeImage.h"
#include "tools/pack/ResourceTree.h"

namespace brennix::pack {

// Fills tree with every resource of image (read from source). An image without a resource
// directory gives an empty tree. Fails when the directory is malformed: entries outside the
// section, a loop, more than three levels, or data that does not lie in the file.
PackResult ReadResourceDirectory(const PeImage& image, const std::shared_ptr<const ByteSource>& source,
                                 ResourceTree& tree);

}  // namespace brennix::pack
