// Icon files (.ico) and the two resources Windows keeps an icon in: one RT_ICON per image and an
// RT_GROUP_ICON directory that names them by id.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/pack/PackResult.h"

namespace brennix::pack {

// One image of an icon as the directory entry describes it; width and height 0 mean 256.
struct IconImage {
  uint8_t width = 0;
  uint8_t height = 0;
  uint8_t colorCount = 0;
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  std::vector<uint8_t> bytes;  // the image exactly as the file holds it: a DIB or a PNG stream
};

// Reads every image of an .ico file, in file order. Planes and bits per pixel come from a DIB
// image's own header (what the loader matches against the display). Fails, saying why, for a
// file that is not an icon (a PNG or other picture, a cursor, a truncated file) or whose images
// lie outside the file, are not a DIB or PNG, or disagree with their directory entry in size.
PackResult DecodeIconFile(const std::vector<uint8_t>& file, std::vector<IconImage>& images);

// The RT_GROUP_ICON resource for images stored as RT_ICON resources with the given ids (one per
// image, same order).
std::vector<uint8_t> EncodeIconGroup(const std::vector<IconImage>& images, const std::vector<uint16_t>& ids);

// The RT_ICON ids a group resource names. Fails when the group is truncated.
PackResult DecodeIconGroupIds(const std::vector<uint8_t>& group, std::vector<uint16_t>& ids);

}  // namespace brennix::pack
