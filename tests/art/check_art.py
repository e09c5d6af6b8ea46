#!/usr/bin/env python3
"""Checks that the committed artwork has exactly the sizes and formats the stub's
dialogs rely on; exits 1 and names every mismatch otherwise.

    python3 tests/art/check_art.py [--banner BMP] [--splash BMP] [--icon ICO]

- banner (bitmap 130): 634 x 78, splash (bitmap 133): 428 x 211; both 24 bits per
  pixel, uncompressed, bottom-up, a plain 40-byte BITMAPINFOHEADER, no palette.
- icon (icon 5): nine BMP-coded images, 16, 32 and 48 pixels at 4, 8 and 32 bits
  per pixel; the palettized ones with a full colour table, every image with its
  AND mask, the 32-bit ones with a real alpha channel.
"""

import argparse
import os
import struct
import sys

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BITMAPS = (("banner", "res/banner.bmp", 634, 78), ("splash", "res/splash.bmp", 428, 211))
ICON_PATH = "res/app.ico"
ICON_IMAGES = {(size, bits) for size in (16, 32, 48) for bits in (4, 8, 32)}
INFO_HEADER = struct.Struct("<IiiHHIIiiII")  # BITMAPINFOHEADER
BI_RGB = 0


def row_bytes(width, bits):
    """Bytes in one DIB row of width pixels, padded to 4 bytes."""
    return (width * bits + 31) // 32 * 4


def check_bmp(data, width, height):
    """Returns the problems found in a BMP file that must be width x height at 24 bits."""
    if len(data) < 14 + INFO_HEADER.size or data[:2] != b"BM":
        return ["not a BMP file"]
    problems = []
    file_size, _, _, offset = struct.unpack_from("<IHHI", data, 2)
    (header_size, w, h, planes, bits, compression, _, _, _,
     colours_used, _) = INFO_HEADER.unpack_from(data, 14)
    expected = {
        "header size (40 = BITMAPINFOHEADER)": (header_size, 40),
        "width": (w, width),
        "height (positive = bottom-up)": (h, height),
        "planes": (planes, 1),
        "bits per pixel": (bits, 24),
        "compression (0 = BI_RGB)": (compression, BI_RGB),
        "colours used": (colours_used, 0),
        "pixel data offset": (offset, 14 + 40),
        "size in file header": (file_size, len(data)),
        "file size": (len(data), 14 + 40 + row_bytes(width, 24) * height),
    }
    for name, (found, wanted) in expected.items():
        if found != wanted:
            problems.append("%s is %d, expected %d" % (name, found, wanted))
    return problems


def check_icon_image(blob, size, bits):
    """Returns the problems found in one icon image that must be size x size at bits."""
    if blob[:8] == b"\x89PNG\r\n\x1a\n":
        return ["is PNG-coded, expected a BMP-coded image"]
    if len(blob) < INFO_HEADER.size:
        return ["too short for a BITMAPINFOHEADER"]
    (header_size, w, h, planes, found_bits, compression, _, _, _,
     colours_used, _) = INFO_HEADER.unpack_from(blob)
    problems = []
    expected = {
        "header size": (header_size, 40),
        "width": (w, size),
        "height (XOR and AND images)": (h, 2 * size),
        "planes": (planes, 1),
        "bits per pixel": (found_bits, bits),
        "compression": (compression, BI_RGB),
    }
    for name, (found, wanted) in expected.items():
        if found != wanted:
            problems.append("%s is %d, expected %d" % (name, found, wanted))
    if problems:
        return problems
    palette_entries = 0
    if bits <= 8:
        palette_entries = colours_used or (1 << bits)
        if palette_entries > (1 << bits):
            problems.append("colour table has %d entries, more than %d" % (palette_entries, 1 << bits))
    xor_size = row_bytes(size, bits) * size
    mask_size = row_bytes(size, 1) * size
    wanted_size = 40 + 4 * palette_entries + xor_size + mask_size
    if len(blob) != wanted_size:
        problems.append("is %d bytes, expected %d (header, colour table, image, AND mask)"
                        % (len(blob), wanted_size))
    elif bits == 32:
        pixels = blob[40:40 + xor_size]
        if not any(pixels[i] for i in range(3, len(pixels), 4)):
            problems.append("alpha channel is empty, so the image would show no alpha")
    return problems


def check_ico(data):
    """Returns the problems found in the application icon file."""
    if len(data) < 6:
        return ["not an ICO file"]
    reserved, kind, count = struct.unpack_from("<HHH", data)
    if reserved != 0 or kind != 1:
        return ["not an ICO file (reserved %d, type %d)" % (reserved, kind)]
    if len(data) < 6 + 16 * count:
        return ["directory of %d entries does not fit in the file" % count]
    problems, found = [], []
    for i in range(count):
        (width, height, colour_count, _, planes, bits,
         length, offset) = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        size = width or 256
        name = "image %d (%dx%d, %d bits)" % (i, size, height or 256, bits)
        found.append((size, bits))
        if width != height:
            problems.append(name + ": not square")
        if colour_count != ((1 << bits) if bits < 8 else 0):
            problems.append("%s: directory colour count is %d" % (name, colour_count))
        if offset + length > len(data):
            problems.append(name + ": data runs past the end of the file")
            continue
        problems += [name + ": " + p for p in check_icon_image(data[offset:offset + length], size, bits)]
    if sorted(found) != sorted(ICON_IMAGES):
        problems.append("holds %s, expected each of %s once"
                        % (sorted(found), sorted(ICON_IMAGES)))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for name, path, _, _ in BITMAPS:
        parser.add_argument("--" + name, default=os.path.join(REPO, path))
    parser.add_argument("--icon", default=os.path.join(REPO, ICON_PATH))
    args = parser.parse_args()

    checks = [(getattr(args, name), lambda d, w=w, h=h: check_bmp(d, w, h))
              for name, _, w, h in BITMAPS] + [(args.icon, check_ico)]
    failed = False
    for path, check in checks:
        try:
            with open(path, "rb") as f:
                problems = check(f.read())
        except OSError as error:
            problems = [str(error)]
        for problem in problems:
            print("%s: %s" % (path, problem))
        print("%s: %s" % (path, "FAILED" if problems else "ok"))
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
