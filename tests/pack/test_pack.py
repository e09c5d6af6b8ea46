"""brennix-pack end to end: packed files read back through the Windows loader under Wine,
signed and verified with osslsigncode, refused inputs, and a gigabyte payload that streams."""
import os
import random
import resource
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib
from pathlib import Path

import harness
from harness import Wine, native_tool, stub_exe, win_program

PACK_TIMEOUT = 300
PROBE_TIMEOUT = 120


def pack(*args) -> subprocess.CompletedProcess:
    return subprocess.run([str(native_tool("brennix-pack")), *map(str, args)], capture_output=True,
                          timeout=PACK_TIMEOUT, stdin=subprocess.DEVNULL)


def crc(data: bytes) -> str:
    return "%08x" % zlib.crc32(data)


class ProbeReport:
    """What tests/pack/ResourceProbe.cpp saw: resources in enumeration order, and strings."""

    def __init__(self, text: str):
        self.resources = []   # (type, name, language, size, crc)
        self.strings = {}
        for line in text.splitlines():
            kind, *fields = line.split(" ")
            if kind == "resource":
                rtype, name, language, size, checksum = fields
                self.resources.append((rtype.strip('"'), name.strip('"'), int(language), int(size), checksum))
            elif kind == "string":
                units = bytes.fromhex(fields[2]) if len(fields) > 2 else b""
                self.strings[int(fields[0])] = units.decode("utf-16-be")
            else:
                raise AssertionError(f"probe: {line}")

    def of_type(self, rtype):
        return [r for r in self.resources if r[0] == rtype]

    def except_types(self, *types):
        return [r for r in self.resources if r[0] not in types]


def run_probe(wine, scratch, module, string_ids=(), program=None) -> ProbeReport:
    """Runs the probe on MODULE (a packed file loaded as image resource), or, when program is
    given, starts that packed probe and lets it report on itself."""
    report = scratch / "report.txt"
    report.unlink(missing_ok=True)
    exe = program or win_program("pack_probe")
    target = "self" if program else wine.win_path(module)
    result = wine.run(exe, [wine.win_path(report), target, *map(str, string_ids)], timeout=PROBE_TIMEOUT)
    if result.returncode != 0 or not report.exists():
        raise AssertionError(f"probe failed ({result.returncode}): "
                             f"{report.read_text() if report.exists() else result.stderr[-400:]!r}")
    return ProbeReport(report.read_text(encoding="utf-8"))


def security_directory(path) -> tuple:
    data = Path(path).read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    magic, = struct.unpack_from("<H", data, pe + 24)
    # The data directories of a 64-bit (PE32+) file start 16 bytes later.
    directories = pe + 24 + (112 if magic == 0x20B else 96)
    return struct.unpack_from("<II", data, directories + 8 * 4)


def pe_layout_problems(path) -> list:
    """An independent reading of what the loader and signing tools rely on: sections one after
    the other in memory, aligned raw data inside the file, SizeOfImage, and the check sum."""
    data = Path(path).read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count, = struct.unpack_from("<H", data, pe + 6)
    optional_size, = struct.unpack_from("<H", data, pe + 20)
    optional = pe + 24
    section_alignment, file_alignment = struct.unpack_from("<II", data, optional + 32)
    size_of_image, size_of_headers, check_sum = struct.unpack_from("<III", data, optional + 56)
    problems = []
    next_rva = -(-size_of_headers // section_alignment) * section_alignment
    for i in range(count):
        name, virtual_size, rva, raw_size, raw_pointer = struct.unpack_from("<8sIIII", data, optional + optional_size + 40 * i)
        if rva != next_rva:
            problems.append(f"{name}: not right after the previous section")
        next_rva = rva + -(-max(virtual_size, raw_size) // section_alignment) * section_alignment
        if raw_size and (raw_pointer % file_alignment or raw_pointer + raw_size > len(data)):
            problems.append(f"{name}: raw data misplaced")
    if size_of_image != next_rva:
        problems.append("SizeOfImage")
    padded = data + b"\0" * (len(data) % 2)
    words = struct.unpack(f"<{len(padded) // 2}H", padded)
    total = sum(words) - sum(struct.unpack_from("<HH", data, optional + 64))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    if check_sum != total + len(data):
        problems.append("check sum")
    return problems


class PackTestCase(harness.WineTestCase):
    def setUp(self):
        super().setUp()
        self.work = Path(tempfile.mkdtemp(prefix="brennix-pack-e2e-"))
        self.addCleanup(shutil.rmtree, self.work, True)

    def make_payload(self):
        """A payload folder with a program, a subfolder, an empty file, a non-ASCII name and
        random bytes; returns {manifest name: bytes}."""
        rng = random.Random(1234)
        files = {
            "Setup.exe": rng.randbytes(4099),
            "Setup.exe.config": b"<configuration/>",
            "lib\\Helper.dll": rng.randbytes(70001),
            "lib\\deeper\\empty.txt": b"",
            "Caf\u00e9.txt": b"non-ASCII name",
            "data.bin": rng.randbytes(3 * 1024 * 1024 + 5),
        }
        folder = self.work / "payload"
        for name, data in files.items():
            path = folder.joinpath(*name.split("\\"))
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(data)
        return folder, files

    @staticmethod
    def expected_toolkit(files, program="Setup.exe", language=1033):
        """The TOOLKIT resources and manifest that packing files must give: the program first
        at 102, the rest by name; the manifest in Windows-1252."""
        order = [program] + sorted(n for n in files if n != program)
        ids = {name: 102 + i for i, name in enumerate(order)}
        manifest = "*".join(f"{ids[n]}*{n}*{len(files[n])}" for n in order).encode("cp1252")
        expected = [("TOOLKIT", "101", language, len(manifest), crc(manifest))]
        expected += [("TOOLKIT", str(ids[n]), language, len(files[n]), crc(files[n])) for n in order]
        return expected


class PackedFilesUnderTheLoader(PackTestCase):
    def test_packed_probe_starts_and_reads_its_payload_and_strings(self):
        folder, files = self.make_payload()
        readme = self.work / "readme.txt"
        readme.write_bytes(b"read me first")
        bitmap = self.work / "other.bmp"
        bitmap.write_bytes(b"BM not really a bitmap")
        out = self.scratch / "probe-setup.exe"
        name = "Pr\u00fcfung \u2713 \U0001F600"
        result = pack("--stub", win_program("pack_probe"), "--out", out, "--payload", folder, "--store",
                      "--set", f"1={name}", "--unset", "2", "--set", "200=new block", "--set", "145=0",
                      "--resource", f"TOOLKIT/readme={readme}", "--resource", f"2/130={bitmap}")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn(b"launches Setup.exe (id 102)", result.stdout)
        self.assertEqual(pe_layout_problems(out), [])

        original = run_probe(self.wine, self.scratch, win_program("pack_probe"))
        packed = run_probe(self.wine, self.scratch, None, [0, 1, 2, 3, 103, 145, 200], program=out)
        # Named resources come first in enumeration, then ids ascending.
        expected = [("TOOLKIT", "README", 1033, 13, crc(b"read me first"))] + self.expected_toolkit(files)
        self.assertEqual(packed.of_type("TOOLKIT"), expected)
        self.assertEqual(packed.strings, {0: "x86", 1: name, 2: "", 3: "", 103: "100", 145: "0", 200: "new block"})
        # Everything else is the stub's own, but the replaced bitmap.
        keep = [r for r in original.except_types("TOOLKIT", "6") if r[:2] != ("2", "130")]
        self.assertEqual([r for r in packed.except_types("TOOLKIT", "6") if r[:2] != ("2", "130")], keep)
        self.assertIn(("2", "130", 1033, 22, crc(b"BM not really a bitmap")), packed.resources)

    def test_real_stub_packed_reads_back_as_datafile(self):
        folder, files = self.make_payload()
        out = self.scratch / "setup.exe"
        result = pack("--stub", stub_exe(), "--out", out, "--payload", folder, "--store", "--set", "1=Packed Installer",
                      "--set", "103=250", "--set", "160=1")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(pe_layout_problems(stub_exe()), [])
        self.assertEqual(pe_layout_problems(out), [])
        original = run_probe(self.wine, self.scratch, stub_exe(), [0, 1, 103, 160])
        packed = run_probe(self.wine, self.scratch, out, [0, 1, 103, 160])
        language = original.resources[0][2]
        self.assertEqual(packed.of_type("TOOLKIT"), self.expected_toolkit(files, language=language))
        self.assertEqual(packed.except_types("TOOLKIT", "6"), original.except_types("TOOLKIT", "6"))
        self.assertEqual(original.strings[160], "0", "full access for Everyone is off as shipped")
        self.assertEqual(packed.strings, {0: original.strings[0], 1: "Packed Installer", 103: "250", 160: "1"})

    def test_explicit_files_manifest_options_and_program_choice(self):
        folder, files = self.make_payload()
        extra = self.work / "extra.bin"
        extra.write_bytes(b"extra")
        manifest = self.work / "manifest.txt"
        manifest.write_bytes(b"**102*x.exe*1**")
        cases = {
            "program in a subfolder": (["--payload", folder, "--program", "lib/Helper.dll"], None),
            "explicit file beside the folder": (["--payload", folder, "--file", f"102=sub\\extra.bin={extra}"], None),
            "own manifest": (["--file", f"102=x.exe={extra}", "--manifest-file", manifest], b"**102*x.exe*1**"),
            "no manifest": (["--file", f"102=x.exe={extra}", "--no-manifest"], None),
        }
        for what, (args, manifest_bytes) in cases.items():
            with self.subTest(what):
                out = self.scratch / "setup.exe"
                out.unlink(missing_ok=True)
                result = pack("--stub", win_program("pack_probe"), "--out", out, "--store", *args)
                if what == "program in a subfolder":
                    # Helper.dll has no ".exe": the stub would never launch it.
                    self.assertEqual(result.returncode, 1)
                    self.assertIn(b"holds \".exe\"", result.stderr)
                    self.assertFalse(out.exists())
                    continue
                self.assertEqual(result.returncode, 0, result.stderr)
                toolkit = {r[1]: r for r in run_probe(self.wine, self.scratch, out).of_type("TOOLKIT")}
                if what == "explicit file beside the folder":
                    # 102 is taken, so the folder's files start at 103 with the program first.
                    self.assertEqual(toolkit["102"][3:], (5, crc(b"extra")))
                    self.assertEqual(toolkit["103"][3:], (len(files["Setup.exe"]), crc(files["Setup.exe"])))
                    self.assertIn(b"launches Setup.exe (id 103)", result.stdout)
                elif manifest_bytes is not None:
                    self.assertEqual(toolkit["101"][3:], (len(manifest_bytes), crc(manifest_bytes)))
                    self.assertEqual(sorted(toolkit), ["101", "102"])
                else:
                    self.assertEqual(sorted(toolkit), ["102"])


class Signing(PackTestCase):
    def make_certificates(self):
        """A throw-away CA and code-signing certificate made for this run."""
        folder = self.work / "certs"
        folder.mkdir()
        (folder / "leaf.ext").write_text("basicConstraints=CA:FALSE\nkeyUsage=digitalSignature\n"
                                         "extendedKeyUsage=codeSigning\n")
        steps = [
            ["req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem",
             "-subj", "/CN=Brennix Pack Test CA", "-days", "2"],
            ["req", "-newkey", "rsa:2048", "-nodes", "-keyout", "leaf.key", "-out", "leaf.csr",
             "-subj", "/CN=Brennix Pack Test Signer"],
            ["x509", "-req", "-in", "leaf.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
             "-out", "leaf.pem", "-days", "2", "-extfile", "leaf.ext"],
        ]
        for step in steps:
            subprocess.run(["openssl", *step], cwd=folder, check=True, capture_output=True, timeout=60)
        return folder

    def sign(self, certs, source, target):
        result = subprocess.run(["osslsigncode", "sign", "-certs", certs / "leaf.pem", "-key", certs / "leaf.key",
                                 "-n", "Brennix Pack Test", "-in", source, "-out", target],
                                capture_output=True, timeout=120)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    def verify(self, certs, path) -> subprocess.CompletedProcess:
        return subprocess.run(["osslsigncode", "verify", "-in", path, "-CAfile", certs / "ca.pem"],
                              capture_output=True, timeout=120)

    def test_packed_file_signs_and_verifies_and_signed_stub_loses_its_signature(self):
        certs = self.make_certificates()
        folder, files = self.make_payload()
        packed = self.work / "packed.exe"
        self.assertEqual(pack("--stub", win_program("pack_probe"), "--out", packed, "--payload", folder,
                              "--store").returncode, 0)
        signed = self.scratch / "signed.exe"
        self.sign(certs, packed, signed)
        verified = self.verify(certs, signed)
        self.assertEqual(verified.returncode, 0, verified.stdout + verified.stderr)
        self.assertNotIn(b"invalid PE checksum", verified.stdout + verified.stderr)
        # A signed setup file still starts and reads its payload.
        self.assertEqual(run_probe(self.wine, self.scratch, None, program=signed).of_type("TOOLKIT"),
                         self.expected_toolkit(files))

        signed_stub = self.work / "signed-stub.exe"
        self.sign(certs, win_program("pack_probe"), signed_stub)
        self.assertNotEqual(security_directory(signed_stub), (0, 0))
        repacked = self.scratch / "repacked.exe"
        result = pack("--stub", signed_stub, "--out", repacked, "--payload", folder, "--store")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(security_directory(repacked), (0, 0))
        self.assertLess(repacked.stat().st_size - packed.stat().st_size, 8, "only the signer's padding may stay")
        unsigned = self.verify(certs, repacked)
        self.assertNotEqual(unsigned.returncode, 0)
        self.assertIn(b"No signature found", unsigned.stdout + unsigned.stderr)
        self.assertEqual(run_probe(self.wine, self.scratch, None, program=repacked).of_type("TOOLKIT"),
                         self.expected_toolkit(files))


class CommandLine(PackTestCase):
    def test_help_and_refusals(self):
        helped = pack("--help")
        self.assertEqual(helped.returncode, 0)
        self.assertIn(b"Usage: brennix-pack --stub STUB.exe --out SETUP.exe", helped.stdout)
        not_pe = self.work / "notes.txt"
        not_pe.write_text("not a program")
        out = self.work / "out.exe"
        cases = [
            (["--stub", win_program("pack_probe"), "--out", out, "--frobnicate"], 2, b"unknown option --frobnicate"),
            (["--stub", win_program("pack_probe"), "--out", out, "--set", "x=1"], 2, b"ID must be a number"),
            (["--stub", not_pe, "--out", out, "--set", "1=x"], 1, b"not a PE file"),
            (["--stub", self.work / "missing.exe", "--out", out], 1, b"no such file"),
        ]
        for args, code, message in cases:
            with self.subTest(args=[str(a) for a in args]):
                result = pack(*args)
                self.assertEqual(result.returncode, code)
                self.assertTrue(result.stderr.startswith(b"brennix-pack: "), result.stderr)
                self.assertIn(message, result.stderr)
                self.assertEqual(result.stdout, b"")
                self.assertFalse(out.exists())
                self.assertEqual([p.name for p in self.work.iterdir() if p.name.startswith("out.exe")], [])


class WindowsBuildOfThePacker(PackTestCase):
    def test_brennix_pack_exe_writes_the_same_bytes_as_the_native_tool(self):
        folder, files = self.make_payload()
        args = ["--set", "1=Pr\u00fcfung \u2713", "--unset", "2"]
        native = self.work / "native.exe"
        self.assertEqual(pack("--stub", win_program("pack_probe"), "--out", native, "--payload", folder,
                              *args).returncode, 0)
        windows = self.scratch / "windows.exe"
        tool = harness.WIN_BUILD_DIR / "tools" / "pack" / "brennix-pack.exe"
        result = self.wine.run(tool, ["--stub", self.win(win_program("pack_probe")), "--out", self.win(windows),
                                      "--payload", self.win(folder), *args], timeout=PROBE_TIMEOUT)
        self.assertEqual(result.returncode, 0, result.stderr[-500:])
        self.assertEqual(windows.read_bytes(), native.read_bytes())


class LargePayload(PackTestCase):
    SIZE = 1 << 30

    def test_gigabyte_payload_streams_with_little_memory(self):
        if shutil.disk_usage(self.scratch).free < 3 * self.SIZE:
            self.skipTest("needs 3 GiB of free disk")
        folder = self.work / "payload"
        folder.mkdir()
        (folder / "Setup.exe").write_bytes(b"MZ")
        with open(folder / "huge.bin", "wb") as huge:
            huge.truncate(self.SIZE)   # sparse: reads as zeros, costs no disk
        out = self.scratch / "huge-setup.exe"
        # Measure the packer alone: a child python that runs it and reports its peak memory.
        measure = ("import resource,subprocess,sys;"
                   "r=subprocess.run(sys.argv[1:]);"
                   "print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss);sys.exit(r.returncode)")
        result = subprocess.run([sys.executable, "-c", measure, str(native_tool("brennix-pack")), "--stub",
                                 str(win_program("pack_probe")), "--out", str(out), "--payload", str(folder), "--store"],
                                capture_output=True, timeout=PACK_TIMEOUT)
        self.addCleanup(out.unlink, True)
        self.assertEqual(result.returncode, 0, result.stderr)
        peak_kib = int(result.stdout.split()[-1])
        self.assertLess(peak_kib, 64 * 1024, "packing must stream, not hold the payload in memory")
        self.assertGreater(out.stat().st_size, self.SIZE)
        zeros = 0
        block = bytes(1 << 20)
        for _ in range(self.SIZE >> 20):
            zeros = zlib.crc32(block, zeros)
        # Started by the loader, which maps the whole gigabyte image at the program's base.
        report = run_probe(self.wine, self.scratch, None, program=out)
        toolkit = {r[1]: r for r in report.of_type("TOOLKIT")}
        self.assertEqual(toolkit["103"][3:], (self.SIZE, "%08x" % zeros))


if __name__ == "__main__":
    unittest.main()
