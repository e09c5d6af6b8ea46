#!/usr/bin/env python3
"""Regenerates the setup stub's artwork from the SVG sources beside this script.

    python3 res/art/make-art.py [--out DIR]

Writes banner.bmp (634 x 78), splash.bmp (428 x 211), both 24-bit uncompressed
bottom-up BMPs with a plain BITMAPINFOHEADER, and app.ico (16, 32 and 48 pixels,
each at 4, 8 and 32 bits per pixel) into DIR, by default res/ of this checkout.

The SVGs are rendered by rsvg-convert (Debian librsvg2-bin) with the Inter font
(Debian fonts-inter); ImageMagick's convert only turns the rendered PNGs into raw
pixels. Everything from there on, the BMP and ICO encoding and the reduction of
the icon to 16 and 256 colours, is done here so that the files hold exactly the
headers and depths the resource compiler and LoadImage expect.
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile

ART_DIR = os.path.dirname(os.path.abspath(__file__))
RES_DIR = os.path.dirname(ART_DIR)

BITMAPS = [
    # (source, output, width, height)
    ("banner.svg", "banner.bmp", 634, 78),
    ("splash.svg", "splash.bmp", 428, 211),
]
ICON_SOURCE = "mark.svg"
ICON_OUTPUT = "app.ico"
ICON_SIZES = (48, 32, 16)
ICON_DEPTHS = (32, 8, 4)
FONT_FAMILY = "Inter"
PELS_PER_METRE_96_DPI = 3780
OPAQUE_THRESHOLD = 128  # alpha at or above this is drawn by the palettized icons


def fail(message):
    """Prints the message and ends the script with exit code 1."""
    print("make-art: " + message, file=sys.stderr)
    sys.exit(1)


def check_tools():
    """Ends the script unless the renderer, ImageMagick and the font are present,
    so a missing package cannot silently produce artwork in a fallback font."""
    for tool in ("rsvg-convert", "convert", "fc-match"):
        if shutil.which(tool) is None:
            fail(tool + " not found; run tools/install-deps.sh")
    family = subprocess.run(["fc-match", "-f", "%{family}", FONT_FAMILY],
                            capture_output=True, text=True, check=True).stdout
    if FONT_FAMILY not in family.split(","):
        fail("font %s not installed (fc-match gives %r); run tools/install-deps.sh"
             % (FONT_FAMILY, family))


def render_rgba(svg_name, width, height, work_dir):
    """Renders one SVG of this folder at exactly width x height pixels.
    Returns its pixels as a list of rows, top row first, each a list of
    (r, g, b, a) tuples with straight (not premultiplied) alpha."""
    png = os.path.join(work_dir, "%s-%dx%d.png" % (svg_name, width, height))
    subprocess.run(["rsvg-convert", "-w", str(width), "-h", str(height),
                    "-o", png, os.path.join(ART_DIR, svg_name)], check=True)
    raw = subprocess.run(["convert", png, "-depth", "8", "RGBA:-"],
                         capture_output=True, check=True).stdout
    if len(raw) != width * height * 4:
        fail("%s rendered to %d bytes, expected %d" % (svg_name, len(raw), width * height * 4))
    return [[tuple(raw[(y * width + x) * 4:(y * width + x) * 4 + 4]) for x in range(width)]
            for y in range(height)]


def padded(row_bytes):
    """Pads one DIB row to the 4-byte boundary that every DIB row needs."""
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def info_header(width, height, bits, image_size, colours=0):
    """Returns a 40-byte BITMAPINFOHEADER for an uncompressed (BI_RGB) DIB."""
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size,
                       PELS_PER_METRE_96_DPI, PELS_PER_METRE_96_DPI, colours, 0)


def encode_bmp(pixels):
    """Encodes opaque pixels as a 24-bit bottom-up BMP file; returns its bytes."""
    height, width = len(pixels), len(pixels[0])
    body = b"".join(padded(bytes(c for (r, g, b, _) in row for c in (b, g, r)))
                    for row in reversed(pixels))
    offset = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    return file_header + info_header(width, height, 24, len(body)) + body


def and_mask(pixels, transparent):
    """Returns the icon's 1-bit AND mask rows, bottom row first: 1 where the
    pixel is transparent, so the screen shows through."""
    rows = []
    for row in reversed(pixels):
        bits = bytearray((len(row) + 7) // 8)
        for x, pixel in enumerate(row):
            if transparent(pixel):
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(padded(bytes(bits)))
    return b"".join(rows)


def median_cut(colours, count):
    """Reduces a {(r, g, b): pixel count} table to at most count colours.
    Repeatedly splits the box whose widest channel is widest at its weighted
    median, so small distinct details (the accent dot) keep a colour of their own.
    Returns the palette as a list of (r, g, b), deterministic for a given input."""
    def widest(box):
        spans = [max(c[0][i] for c in box) - min(c[0][i] for c in box) for i in range(3)]
        return max(spans), spans.index(max(spans))

    boxes = [sorted(colours.items())]
    while len(boxes) < count:
        splittable = [i for i, box in enumerate(boxes) if len(box) > 1]
        if not splittable:
            break
        chosen = max(splittable, key=lambda i: (widest(boxes[i])[0], -i))
        channel = widest(boxes[chosen])[1]
        box = sorted(boxes.pop(chosen), key=lambda c: (c[0][channel], c[0]))
        total, running, cut = sum(n for _, n in box), 0, 1
        for i, (_, n) in enumerate(box[:-1]):
            running += n
            cut = i + 1
            if running * 2 >= total:
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple((sum(c[i] * n for c, n in box) + total // 2) // total for i in range(3)))
    return palette


def nearest(palette, colour):
    """Returns the index of the palette entry closest to colour (first on ties)."""
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))


def pack_indices(indices, bits):
    """Packs palette indices, leftmost pixel in the high bits, into one padded row."""
    if bits == 8:
        return padded(bytes(indices))
    packed = bytes((indices[i] << 4) | (indices[i + 1] if i + 1 < len(indices) else 0)
                   for i in range(0, len(indices), 2))
    return padded(packed)


def icon_image_32(pixels):
    """Encodes one 32-bit icon image (BGRA with straight alpha plus AND mask)."""
    size = len(pixels)
    xor = b"".join(bytes(c for (r, g, b, a) in row for c in (b, g, r, a)) for row in reversed(pixels))
    mask = and_mask(pixels, lambda p: p[3] == 0)
    return info_header(size, size * 2, 32, len(xor) + len(mask)) + xor + mask


def icon_image_palettized(pixels, bits):
    """Encodes one 4- or 8-bit icon image. Palette entry 0 is black and serves the
    transparent pixels (masked out by the AND mask, black in the XOR image);
    the opaque pixels get the rest of the palette by median cut."""
    size = len(pixels)
    slots = 1 << bits
    opaque = lambda p: p[3] >= OPAQUE_THRESHOLD
    colours = {}
    for row in pixels:
        for p in row:
            if opaque(p):
                colours[p[:3]] = colours.get(p[:3], 0) + 1
    palette = [(0, 0, 0)] + median_cut(colours, slots - 1)
    lookup = {c: 1 + nearest(palette[1:], c) for c in colours}
    xor = b"".join(pack_indices([lookup[p[:3]] if opaque(p) else 0 for p in row], bits)
                   for row in reversed(pixels))
    mask = and_mask(pixels, lambda p: not opaque(p))
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    table += b"\0" * (4 * (slots - len(palette)))
    return info_header(size, size * 2, bits, len(xor) + len(mask)) + table + xor + mask


def encode_ico(images):
    """Encodes [(size, bits, image bytes)] as an .ico file; returns its bytes."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = [], []
    for size, bits, blob in images:
        colour_count = (1 << bits) if bits < 8 else 0  # 256 and more are written as 0
        entries.append(struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bits,
                                   len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return directory + b"".join(entries) + b"".join(blobs)


def write_file(path, data):
    """Writes data to path, replacing any file there."""
    with open(path, "wb") as out:
        out.write(data)
    print("wrote %s (%d bytes)" % (os.path.relpath(path), len(data)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=RES_DIR, help="output folder (default: res/)")
    out_dir = parser.parse_args().out
    check_tools()
    with tempfile.TemporaryDirectory() as work_dir:
        for source, output, width, height in BITMAPS:
            pixels = render_rgba(source, width, height, work_dir)
            if any(p[3] != 255 for row in pixels for p in row):
                fail(source + " must cover its whole canvas with opaque paint")
            write_file(os.path.join(out_dir, output), encode_bmp(pixels))
        renders = {size: render_rgba(ICON_SOURCE, size, size, work_dir) for size in ICON_SIZES}
        images = []
        for bits in ICON_DEPTHS:
            for size, pixels in renders.items():
                blob = icon_image_32(pixels) if bits == 32 else icon_image_palettized(pixels, bits)
                images.append((size, bits, blob))
        write_file(os.path.join(out_dir, ICON_OUTPUT), encode_ico(images))


if __name__ == "__main__":
    main()
