"""brennix-tag on real setup files: an unsigned one gets the block appended, a signed one gets it
inside its certificate table so that osslsigncode and the stub itself still verify it, and the
stub under Wine writes exactly the tagged bytes to "info.xml" in its working folder."""
import re
import struct
import subprocess
import unittest
from pathlib import Path

from harness import WIN_BUILD_DIR, Wine, WineTestCase, native_tool, read_log, run_stub, runs_windows_programs
from signature_setups import pack_setup
from signing import TestCertificates, trusted_root, verify_with_osslsigncode

# A zero byte inside, bytes above 127, CR LF: the file must hold them all; the log shows the text
# up to the zero byte.
INFO = b'<?xml version="1.0"?>\r\n<info campaign="Sp\xe4t"/>\x00after zero\xff\r\n'
ZERO_GUID = "{00000000-0000-0000-0000-000000000000}"


def without_checksum(image: bytes) -> bytes:
    """The file with its PE checksum field zeroed: tagging keeps everything else before the tag."""
    field = struct.unpack_from("<I", image, 0x3C)[0] + 24 + 64
    return image[:field] + bytes(4) + image[field + 4:]


def tag(*args) -> subprocess.CompletedProcess:
    return subprocess.run([str(native_tool("brennix-tag")), *map(str, args)], capture_output=True, timeout=60)


class TagTool(unittest.TestCase):
    """The command line, natively, on a packed setup file and its signed copy."""

    @classmethod
    def setUpClass(cls):
        cls.shared = Wine("win32").scratch("TagTool.shared")
        cls.certificates = TestCertificates()
        cls.addClassCleanup(cls.certificates.close)
        cls.unsigned = pack_setup(cls.shared / "unsigned.exe", cls.shared / "payload")
        cls.signed = cls.shared / "signed.exe"
        cls.certificates.issue("publisher", "Brennix Test Publisher").sign(cls.unsigned, cls.signed)
        cls.info = cls.shared / "info.xml"
        cls.info.write_bytes(INFO)

    def out(self, name) -> Path:
        return self.shared / f"{self._testMethodName}.{name}"

    def assert_tagged(self, result):
        self.assertEqual(result.returncode, 0, result.stderr.decode(errors="replace"))

    def test_unsigned_file_gets_the_block_appended_and_replaced_and_removed(self):
        tagged, retagged, removed = self.out("tagged.exe"), self.out("retagged.exe"), self.out("removed.exe")
        original = self.unsigned.read_bytes()
        self.assert_tagged(tag("--in", self.unsigned, "--out", tagged, "--info", self.info))
        data = tagged.read_bytes()
        self.assertEqual(without_checksum(data)[:len(original)], without_checksum(original))
        self.assertEqual(data[len(original):len(original) + 4 + len(INFO)], b"MRDC" + INFO)
        self.assertEqual(len(data), len(original) + 4 + len(INFO) + 6)

        other = self.out("other.txt")
        other.write_bytes(b"<other/>")
        self.assert_tagged(tag("--in", tagged, "--out", retagged, "--info", other))
        self.assertEqual(without_checksum(retagged.read_bytes()),
                         without_checksum(original + b"MRDC<other/>" + retagged.read_bytes()[-6:]))

        self.assert_tagged(tag("--in", retagged, "--out", removed, "--remove"))
        self.assertEqual(removed.read_bytes(), original)

    def test_signed_file_still_verifies_and_removal_restores_it(self):
        tagged, retagged, removed = self.out("tagged.exe"), self.out("retagged.exe"), self.out("removed.exe")
        self.assert_tagged(tag("--in", self.signed, "--out", tagged, "--info", self.info))
        verified = verify_with_osslsigncode(tagged, self.certificates.ca_cert)
        self.assertEqual(verified.returncode, 0, verified.stdout.decode(errors="replace"))
        self.assertIn(b"MRDC" + INFO, tagged.read_bytes()[-4116:])

        short = self.out("short.txt")
        short.write_bytes(b"x")
        self.assert_tagged(tag("--in", tagged, "--out", retagged, "--info", short))
        self.assertEqual(verify_with_osslsigncode(retagged, self.certificates.ca_cert).returncode, 0)
        self.assertNotIn(b"MRDC" + INFO, retagged.read_bytes())

        self.assert_tagged(tag("--in", retagged, "--out", removed, "--remove"))
        self.assertEqual(removed.read_bytes(), self.signed.read_bytes())

    @runs_windows_programs
    def test_the_windows_build_tags_like_the_native_one(self):
        wine = Wine("win32")
        native, windows = self.out("native.exe"), self.out("windows.exe")
        self.assert_tagged(tag("--in", self.signed, "--out", native, "--info", self.info))
        windows_tool = WIN_BUILD_DIR / "tools" / "tag" / "brennix-tag.exe"
        self.assertTrue(windows_tool.exists(), f"brennix-tag.exe is not built at {windows_tool}")
        result = wine.run(windows_tool, ["--in", wine.win_path(self.signed), "--out", wine.win_path(windows),
                                         "--info", wine.win_path(self.info)], timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr.decode(errors="replace"))
        self.assertEqual(windows.read_bytes(), native.read_bytes())

    def test_refusals_say_why_and_write_nothing(self):
        too_long = self.out("too-long.txt")
        too_long.write_bytes(b"a" * 4107)
        with_marker = self.out("marker.txt")
        with_marker.write_bytes(b"<a>MRDC</a>")
        empty = self.out("empty.txt")
        empty.write_bytes(b"")
        cases = [
            ("not a PE", [self.info, "--info", self.info], 1, "not a PE file"),
            ("too long", [self.unsigned, "--info", too_long], 1, "at most 4106"),
            ("marker", [self.signed, "--info", with_marker], 1, '"MRDC" at byte 3'),
            ("empty", [self.unsigned, "--info", empty], 1, "empty"),
            ("missing input", [self.shared / "missing.exe", "--remove"], 1, "cannot read"),
        ]
        for name, (source, *rest), code, message in cases:
            with self.subTest(name):
                target = self.out(name.replace(" ", "-") + ".exe")
                result = tag("--in", source, "--out", target, *rest)
                self.assertEqual(result.returncode, code)
                self.assertIn(message, result.stderr.decode(errors="replace"))
                self.assertFalse(target.exists())
        for args in (["--in", self.unsigned, "--out", self.out("x")],
                     ["--in", self.unsigned, "--out", self.out("x"), "--remove", "--info", self.info],
                     ["--in", self.unsigned, "--bogus"]):
            with self.subTest(args=args):
                result = tag(*args)
                self.assertEqual(result.returncode, 2)
                self.assertIn(b"usage: brennix-tag", result.stderr)


class TaggedSetupRun(WineTestCase):
    """The stub under Wine finds the block of a tagged signed setup file."""

    @classmethod
    def setUpClass(cls):
        shared = Wine("win32").scratch("TaggedSetupRun.shared")
        cls.certificates = TestCertificates()
        cls.addClassCleanup(cls.certificates.close)
        unsigned = pack_setup(shared / "unsigned.exe", shared / "payload")
        cls.signed = signed = shared / "signed.exe"
        cls.certificates.issue("publisher", "Brennix Test Publisher").sign(unsigned, signed, program_name="x")
        info = shared / "info.bin"
        info.write_bytes(INFO)
        cls.tagged_signed = shared / "tagged-signed.exe"
        cls.tagged_unsigned = shared / "tagged-unsigned.exe"
        for source, target in ((signed, cls.tagged_signed), (unsigned, cls.tagged_unsigned)):
            result = tag("--in", source, "--out", target, "--info", info)
            if result.returncode != 0:
                raise AssertionError(result.stderr.decode(errors="replace"))
        cls.enterClassContext(trusted_root(Wine("win32"), cls.certificates))

    def run_kept(self, setup: Path, *switches):
        """A silent run that keeps its zero-GUID working folder; returns (run, log text, folder)."""
        base = self.scratch / "tmp"
        base.mkdir(exist_ok=True)
        log = self.scratch / "setup.log"
        run = run_stub(setup, args=["log", self.win(log), "temp", self.win(base), "/IAgreeToTheEULA",
                                    "/keep", "/zeroguid", *switches], wine=self.wine)
        return run, read_log(log), base / ZERO_GUID

    def assert_info_written(self, text: str, folder: Path):
        shown = INFO.split(b"\x00")[0].decode("cp1252")
        self.assertIn(f"Scanning for Signature\r\nFound embedded information '{shown}'\r\n", text)
        match = re.search(r"^Written out embedded information (\d+) bytes to file (.*)\r$", text, re.M)
        self.assertIsNotNone(match, text)
        self.assertEqual(int(match.group(1)), len(INFO))
        self.assertEqual(self.wine.unix_path(match.group(2)), folder / "info.xml")
        self.assertEqual((folder / "info.xml").read_bytes(), INFO)

    def test_tagged_signed_setup_verifies_and_writes_info_xml(self):
        verified = verify_with_osslsigncode(self.tagged_signed, self.certificates.ca_cert)
        self.assertEqual(verified.returncode, 0, verified.stdout.decode(errors="replace"))
        run, text, folder = self.run_kept(self.tagged_signed)
        self.assertIn(f"Digital verification: 'The file \"{self.win(self.tagged_signed)}\" is signed and the "
                      "signature was verified.\n'\n", text)
        self.assertNotIn("Certificate error", text)
        self.assert_info_written(text, folder)
        self.assertEqual(run.exit_code, 0)

    def test_tagged_unsigned_setup_extracting_anyway_writes_info_xml(self):
        run, text, folder = self.run_kept(self.tagged_unsigned, "/dontrun")
        self.assertIn("Not running so extract anyway\n", text)
        self.assert_info_written(text, folder)
        self.assertEqual(run.exit_code, 0)

    def test_untagged_setup_writes_no_info_xml(self):
        run, text, folder = self.run_kept(self.signed, "/dontrun")
        self.assertIn("Scanning for Signature\r\n", text)
        self.assertNotIn("embedded information", text)
        self.assertFalse((folder / "info.xml").exists())
        self.assertEqual(run.exit_code, 0)

    def test_an_earlier_info_xml_is_replaced(self):
        folder = self.scratch / "tmp" / ZERO_GUID
        folder.mkdir(parents=True)
        (folder / "info.xml").write_bytes(b"an earlier run's information, longer than the new one" * 100)
        run, text, folder = self.run_kept(self.tagged_signed, "/dontrun")
        self.assert_info_written(text, folder)

    def test_an_info_xml_that_cannot_be_made_is_only_logged(self):
        blocked = self.scratch / "tmp" / ZERO_GUID / "info.xml"
        blocked.mkdir(parents=True)  # a folder where the file should go
        run, text, folder = self.run_kept(self.tagged_signed, "/dontrun")
        match = re.search(r"^Failed to create temp file (.*) (\d+)\r$", text, re.M)
        self.assertIsNotNone(match, text)
        self.assertEqual(self.wine.unix_path(match.group(1)), blocked)
        self.assertNotEqual(int(match.group(2)), 0)
        self.assertNotIn("Written out embedded information", text)
        self.assertIn("Run Embedded Resources", text)
        self.assertEqual(run.exit_code, 0)


if __name__ == "__main__":
    unittest.main()
