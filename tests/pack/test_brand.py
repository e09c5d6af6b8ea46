"""Branding a setup file from the command line alone: icon, splash, banner and version resource
written by brennix-pack, read back by parsers we did not write (Debian's pefile, icoutils'
wrestool and icotool) and by Windows' own GetFileVersionInfoW under Wine; and the inputs it
refuses. What the branded file shows on screen is in tests/ui/test_branding.py."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import pefile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import WineTestCase, native_tool, stub_exe, win_program  # noqa: E402
import brand_art  # noqa: E402

PACK_TIMEOUT = 120
RT_BITMAP, RT_ICON, RT_GROUP_ICON, RT_VERSION = 2, 3, 14, 16
VERSION = "7.1.0.42"
STRINGS = {
    "CompanyName": "Halvard Studio",
    "ProductName": "Halvard Paint \u00e9dition",
    "FileDescription": "Halvard Paint Setup",
    "LegalCopyright": "\u00a9 2026 Halvard Studio",
    "OriginalFilename": "HalvardPaintSetup.exe",
}
# What the stub's own resource says and branding leaves alone.
KEPT_STRINGS = {"InternalName": "BrennixInstaller.exe"}


def pack(*args) -> subprocess.CompletedProcess:
    return subprocess.run([str(native_tool("brennix-pack")), *map(str, args)], capture_output=True,
                          timeout=PACK_TIMEOUT, stdin=subprocess.DEVNULL)


def read_resources(path) -> dict:
    """{(type, name, language): bytes} of every resource, as pefile reads them."""
    pe = pefile.PE(str(path))
    found = {}
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        type_key = str(rtype.name) if rtype.name is not None else rtype.id
        for name in rtype.directory.entries:
            name_key = str(name.name) if name.name is not None else name.id
            for language in name.directory.entries:
                data = language.data.struct
                found[(type_key, name_key, language.id)] = pe.get_data(data.OffsetToData, data.Size)
    return found


def one(resources: dict, rtype, name) -> bytes:
    matches = [data for (t, n, _), data in resources.items() if (t, n) == (rtype, name)]
    assert len(matches) == 1, f"{len(matches)} resources {rtype}/{name}"
    return matches[0]


def branding_arguments(art: dict, arguments: Path, path_text=str) -> list:
    """The branding options, half of them in an argument file as a release's repository would
    keep them; path_text writes the paths as the packer's platform names them."""
    lines = ["# Halvard Paint release settings", "--icon", path_text(art["icon"]), f"--splash={path_text(art['splash'])}",
             "--version", VERSION, ""]
    lines += [f"--version-string={key}={value}" for key, value in STRINGS.items()]
    arguments.write_text("\n".join(lines) + "\n", encoding="utf-8")
    return [f"@{path_text(arguments)}", "--banner", path_text(art["banner"]), "--set", "1=Halvard Paint"]


class BrandedSetupFile(WineTestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = Path(tempfile.mkdtemp(prefix="brennix-brand-"))
        cls.out = cls.folder / "HalvardSetup.exe"
        cls.art = brand_art.make_art(cls.folder)
        result = pack("--stub", stub_exe(), "--out", cls.out, *branding_arguments(cls.art, cls.folder / "release.args"))
        if result.returncode != 0:
            raise AssertionError(f"brennix-pack failed: {result.stderr.decode(errors='replace')}")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, True)

    def test_pefile_reads_the_new_icon_pictures_and_version_and_everything_else_unchanged(self):
        pe = pefile.PE(str(self.out))
        self.assertTrue(pe.verify_checksum(), "PE check sum")
        self.assertEqual(pe.OPTIONAL_HEADER.CheckSum, pe.generate_checksum())
        stub, branded = read_resources(stub_exe()), read_resources(self.out)

        # The icon group names images that are exactly the .ico's, size and depth alike.
        group = one(branded, RT_GROUP_ICON, 5)
        count = int.from_bytes(group[4:6], "little")
        images = brand_art.icon_images(self.art["icon"])
        self.assertEqual(count, len(images))
        for i, (width, height, bits, data) in enumerate(images):
            entry = group[6 + 14 * i:6 + 14 * (i + 1)]
            self.assertEqual((entry[0] or 256, entry[1] or 256), (width, height))
            self.assertEqual(int.from_bytes(entry[6:8], "little"), bits or 32)
            self.assertEqual(one(branded, RT_ICON, int.from_bytes(entry[12:14], "little")), data)
        self.assertEqual(len([k for k in branded if k[0] == RT_ICON]), len(images), "the stub's own images stay behind")

        # The pictures: the same pixels as the .bmp files, as ImageMagick reads both.
        for name, bitmap_id in (("splash", 133), ("banner", 130)):
            with self.subTest(name):
                wrapped = self.folder / f"{name}-read-back.bmp"
                wrapped.write_bytes(brand_art.bitmap_file(one(branded, RT_BITMAP, bitmap_id)))
                self.assertEqual(brand_art.rgb_pixels(wrapped), brand_art.rgb_pixels(self.art[name]))
        splash_file = self.art["splash"].read_bytes()
        self.assertEqual(one(branded, RT_BITMAP, 133), splash_file[14:], "a plain .bmp loses only its file header")

        # The version resource: the fixed numbers and texts given, the stub's other texts kept.
        fixed = pe.VS_FIXEDFILEINFO[0]
        self.assertEqual((fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS, fixed.ProductVersionLS),
                         (0x00070001, 0x0000002A, 0x00070001, 0x0000002A))
        tables = [table for info in pe.FileInfo[0] if info.Key == b"StringFileInfo" for table in info.StringTable]
        self.assertEqual(len(tables), 1)
        texts = {key.decode(): value.decode() for key, value in tables[0].entries.items()}
        expected = dict(STRINGS, FileVersion=VERSION, ProductVersion=VERSION, **KEPT_STRINGS)
        for key, value in expected.items():
            self.assertEqual(texts.get(key), value, key)

        # Everything else is the stub's: every other resource, byte for byte.
        def others(resources):
            return {k: v for k, v in resources.items()
                    if k[0] not in (RT_ICON, RT_VERSION, 6) and k[:2] not in ((RT_GROUP_ICON, 5), (RT_BITMAP, 130),
                                                                              (RT_BITMAP, 133))}
        self.assertEqual(others(branded), others(stub))
        self.assertEqual(sorted(k for k in branded if k[0] == RT_VERSION), sorted(k for k in stub if k[0] == RT_VERSION))

    def test_wrestool_and_icotool_read_the_icon_back_as_the_engineers_file(self):
        extracted = self.folder / "extracted.ico"
        subprocess.run(["wrestool", "-x", "-t", "14", "-n", "5", "-o", str(extracted), str(self.out)], check=True,
                       capture_output=True, timeout=60)

        def listing(path):
            lines = subprocess.run(["icotool", "-l", str(path)], check=True, capture_output=True, text=True,
                                   timeout=60).stdout.splitlines()
            return [line.replace(str(path), "") for line in lines]
        self.assertEqual(listing(extracted), listing(self.art["icon"]))
        self.assertEqual([image[3] for image in brand_art.icon_images(extracted)],
                         [image[3] for image in brand_art.icon_images(self.art["icon"])])

    def test_windows_reads_the_new_version_information(self):
        report = self.scratch / "version.txt"
        keys = [*STRINGS, "FileVersion", "ProductVersion", *KEPT_STRINGS]
        result = self.wine.run(win_program("version_probe"), [self.win(report), self.win(self.out), *keys])
        self.assertEqual(result.returncode, 0, report.read_text() if report.exists() else result.stderr)
        lines = report.read_text(encoding="utf-8").splitlines()
        self.assertEqual(lines[0], f"fixed {VERSION} {VERSION}")
        self.assertEqual(lines[1], "translation 0409 04b0")
        expected = dict(STRINGS, FileVersion=VERSION, ProductVersion=VERSION, **KEPT_STRINGS)
        self.assertEqual(lines[2:], [f"string {key} {expected[key]}" for key in keys])


    def test_windows_build_of_the_packer_brands_alike(self):
        tool = harness.WIN_BUILD_DIR / "tools" / "pack" / "brennix-pack.exe"
        out = self.scratch / "windows.exe"
        arguments = branding_arguments(self.art, self.scratch / "release.args", self.win)
        result = self.wine.run(tool, ["--stub", self.win(stub_exe()), "--out", self.win(out), *arguments], timeout=120)
        self.assertEqual(result.returncode, 0, result.stderr[-500:])
        self.assertEqual(out.read_bytes(), self.out.read_bytes())


class RefusedBranding(unittest.TestCase):
    def test_help_shows_the_branding_options(self):
        helped = pack("--help").stdout.decode()
        for option in ("--icon FILE.ico", "--splash FILE.bmp", "--banner FILE.bmp", "--version A.B.C.D",
                       "--version-string KEY=VALUE", "@FILE"):
            self.assertIn(option, helped)

    def test_each_refusal_says_why_exits_1_and_writes_nothing(self):
        folder = Path(tempfile.mkdtemp(prefix="brennix-brand-refused-"))
        self.addCleanup(shutil.rmtree, folder, True)
        png = folder / "picture.png"
        brand_art.magick("-size", "32x32", "xc:#e06010", f"PNG32:{png}")
        renamed = folder / "app.ico"
        shutil.copy(png, renamed)
        large = brand_art.make_splash(folder, (640, 480), "large.bmp")
        palette = folder / "palette.bmp"
        brand_art.magick("-size", "428x211", "gradient:#203060-#60a0e0", "-type", "Palette", f"BMP3:{palette}")
        cases = [
            (["--icon", renamed], f"--icon {renamed}: not an icon file: it is a PNG picture"),
            (["--splash", large], f"--splash {large}: the splash must be an uncompressed 24- or 32-bit bitmap of "
                                  "428x211 pixels; this one is 640x480"),
            (["--banner", palette], f"--banner {palette}: the banner must be an uncompressed 24- or 32-bit bitmap of "
                                    "634x78 pixels; this one has 8 bits per pixel"),
            (["--version", "1.2.3.4.5"], "--version 1.2.3.4.5: expected four numbers A.B.C.D, each from 0 to 65535"),
        ]
        out = folder / "Setup.exe"
        for args, message in cases:
            with self.subTest(message):
                result = pack("--stub", stub_exe(), "--out", out, *args)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stderr.decode(), f"brennix-pack: {message}\n")
                self.assertEqual(result.stdout, b"")
                self.assertEqual(sorted(p.name for p in folder.iterdir() if p.name.startswith("Setup")), [])


if __name__ == "__main__":
    unittest.main()
