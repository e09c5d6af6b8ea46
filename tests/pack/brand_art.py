"""Artwork of another product for the branding tests, drawn with ImageMagick and icotool at test
time: an icon of several sizes and depths, a splash and a banner, each few-coloured and
unlike the stub's own."""
import struct
import subprocess
from pathlib import Path

ICON_SIZES = [(16, 4), (32, 8), (48, 32)]   # side, bits per pixel; plus a 256-pixel PNG image
SPLASH_SIZE = (428, 211)
BANNER_SIZE = (634, 78)
ICON_COLOURS = [(0xe0, 0x60, 0x10), (0x10, 0x80, 0x80)]   # the icon's orange ground and teal bar


def magick(*args):
    subprocess.run(["convert", *map(str, args)], check=True, capture_output=True, timeout=60)


def make_icon(folder: Path) -> Path:
    """app.ico: one three-colour picture at 16 (4-bit), 32 (8-bit), 48 (32-bit) and 256 (PNG)
    pixels, fully opaque, so every depth shows the same pixels."""
    drawing = folder / "icon-32.png"
    ground, bar = ("#%02x%02x%02x" % colour for colour in ICON_COLOURS)
    magick("-size", "32x32", f"xc:{ground}", "+antialias", "-fill", bar, "-draw", "rectangle 4,4 20,27",
           "-fill", "#ffffff", "-draw", "rectangle 22,6 28,12", f"PNG32:{drawing}")
    args = []
    for side, depth in ICON_SIZES:
        picture = folder / f"icon-{side}.png"
        if side != 32:
            magick(drawing, "-scale", f"{side}x{side}", f"PNG32:{picture}")
        args += ["-b", str(depth), picture]
    large = folder / "icon-256.png"
    magick(drawing, "-scale", "256x256", f"PNG32:{large}")
    icon = folder / "app.ico"
    subprocess.run(["icotool", "-c", "-o", str(icon), *map(str, args), "-r", str(large)], check=True,
                   capture_output=True, timeout=60)
    return icon


def make_splash(folder: Path, size=SPLASH_SIZE, name="splash.bmp", kind="BMP3") -> Path:
    """A 24-bit splash (40-byte header): a gradient with a yellow box and a red disc."""
    path = folder / name
    magick("-size", f"{size[0]}x{size[1]}", "gradient:#203060-#60a0e0", "+antialias", "-fill", "#f0c020",
           "-draw", "rectangle 20,20 150,90", "-fill", "#c02040", "-draw", "circle 300,120 340,160",
           "-type", "TrueColor", f"{kind}:{path}")
    return path


def make_banner(folder: Path) -> Path:
    """A 32-bit banner as ImageMagick writes one by default: a 124-byte header, BI_BITFIELDS
    with the plain masks, opaque alpha."""
    path = folder / "banner.bmp"
    magick("-size", f"{BANNER_SIZE[0]}x{BANNER_SIZE[1]}", "gradient:#104020-#80e0a0", "+antialias", "-fill",
           "#ffffff", "-draw", "rectangle 10,10 200,60", "-alpha", "set", "-channel", "A", "-evaluate", "set",
           "100%", "+channel", "-type", "TrueColorAlpha", f"BMP:{path}")
    return path


def make_art(folder: Path) -> dict:
    """The icon, splash and banner, by name."""
    return {"icon": make_icon(folder), "splash": make_splash(folder), "banner": make_banner(folder)}


def rgb_pixels(path: Path) -> bytes:
    """The picture's pixels as ImageMagick reads them: rows top to bottom, RGB."""
    return subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"], check=True, capture_output=True,
                          timeout=60).stdout


def icon_images(path: Path) -> list:
    """(width, height, bits per pixel, image bytes) of each image in an .ico file."""
    data = path.read_bytes()
    count, = struct.unpack_from("<H", data, 4)
    images = []
    for i in range(count):
        width, height, _, _, _, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        images.append((width or 256, height or 256, bits, data[offset:offset + size]))
    return images


def bitmap_file(resource: bytes) -> bytes:
    """A .bmp file around a bitmap resource (24- and 32-bit: no colour table)."""
    header_size, = struct.unpack_from("<I", resource, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(resource), 0, 0, 14 + header_size) + resource
