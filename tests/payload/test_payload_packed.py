"""Compressed setup files under Wine: the payload comes out byte for byte with the same log
lines as from a stored one, and a damaged stream ends the run as a corrupt file with the
decoder's reason, the working folder removed, nothing written elsewhere."""
import re
import shutil
import struct
import subprocess
import unittest

from harness import Wine, WineTestCase, read_payload_report, run_stub, win_program
from payload_setup import (assert_lines_in_order, fresh_folder, log_lines, make_sample_payload, pack, start_signing,
                           stop_signing, work_folder_from_log)

CORRUPT_FILE = 0x80040167


def setUpModule():
    start_signing([Wine("win32")])


def tearDownModule():
    stop_signing()


def stream_header(decoded_size: int) -> bytes:
    return struct.pack("<4sB3xQ", b"BRXS", 1, decoded_size)


def file_record(offset: int, size: int) -> bytes:
    return struct.pack("<4sBBHQQ", b"BRXF", 1, 0, 0, offset, size)


def zstd_frame(data: bytes) -> bytes:
    return subprocess.run(["zstd", "-q", "-c", "-3", "--check"], input=data, capture_output=True, check=True).stdout


# A frame that asks for a 2^28-byte window (over the stub's limit) and holds four raw bytes.
FRAME_WITH_LARGE_WINDOW = bytes([0x28, 0xB5, 0x2F, 0xFD, 0x00, (28 - 10) << 3, (4 << 3) | 1, 0, 0]) + b"data"


class PackedPayload(WineTestCase):
    def setUp(self):
        super().setUp()
        self.base = fresh_folder(self.scratch / "tmp")
        self.report = self.scratch / "report.txt"

    def run_setup(self, setup, *switches):
        log = self.scratch / "setup.log"
        for stale in (log, self.report):
            stale.unlink(missing_ok=True)
        run = run_stub(setup, args=["log", self.win(log), "temp", self.win(self.base), "/IAgreeToTheEULA", *switches],
                       env={"BRENNIX_PAYLOAD_REPORT": self.win(self.report)}, wine=self.wine)
        return run, log_lines(log)

    def extraction_lines(self, lines, work):
        """The lines of the extraction, with the working folder's name taken out."""
        start = lines.index("Enumerate Resources OK ")
        end = next(i for i, line in enumerate(lines) if line.startswith("RunProgram program"))
        return [line.replace(work, "WORK") for line in lines[start:end] if not line.startswith(("Set the temp", "Successfully"))]

    def test_compressed_and_stored_setup_files_unpack_the_same_bytes_with_the_same_log(self):
        payload = self.scratch / "payload"
        files = make_sample_payload(fresh_folder(payload))
        files["sub\\deeper\\empty.txt"] = b""
        (payload / "sub" / "deeper").mkdir()
        (payload / "sub" / "deeper" / "empty.txt").write_bytes(b"")
        files["lib\\copy.dll"] = files["Setup.exe"]  # a program file twice: found again across files
        (payload / "lib").mkdir()
        (payload / "lib" / "copy.dll").write_bytes(files["Setup.exe"])
        runs = {}
        for store in (False, True):
            with self.subTest(store=store):
                setup = pack(self.scratch / f"setup-{store}.exe", payload=payload, store=store)
                fresh_folder(self.base)
                run, lines = self.run_setup(setup, "/keep")
                self.assertEqual(run.exit_code, 0, "\n".join(lines))
                work = work_folder_from_log(lines)
                unpacked = self.wine.unix_path(work)
                got = {str(p.relative_to(unpacked)).replace("/", "\\"): p.read_bytes()
                       for p in unpacked.rglob("*") if p.is_file()}
                self.assertEqual(got, files)
                report = read_payload_report(self.report)
                self.assertEqual(report.exe, work + "\\Setup.exe")
                runs[store] = (setup.stat().st_size, self.extraction_lines(lines, work))
        self.assertEqual(runs[False][1], runs[True][1], "the same extraction lines, file by file")
        self.assertLess(runs[False][0], runs[True][0])

    def packed_setup(self, stream: bytes, files: dict, sizes: dict = None):
        """A setup file with a stream resource made here and a record for each file, in the
        order the stub extracts them (highest id first); the manifest gives `sizes` where given."""
        folder = fresh_folder(self.scratch / "packed")
        ids = {name: 102 + i for i, name in enumerate(files)}
        pieces, offset = [], 0
        for name in sorted(files, key=lambda n: -ids[n]):
            record = folder / f"{ids[name]}.record"
            record.write_bytes(file_record(offset, len(files[name])))
            pieces.append((ids[name], name, record))
            offset += len(files[name])
        sizes = {name: (sizes or {}).get(name, len(data)) for name, data in files.items()}
        manifest = "*".join(f"{ids[n]}*{n}*{sizes[n]}" for n in files).encode()
        (folder / "stream.bin").write_bytes(stream)
        return pack(self.scratch / "setup.exe", files=pieces, manifest=manifest, store=True,
                    resources=[("TOOLKIT/PACKED", folder / "stream.bin")])

    def test_damaged_streams_fail_as_corrupt_and_the_folder_goes(self):
        files = {"Setup.exe": win_program("payload").read_bytes(), "sub\\data.bin": bytes(range(256)) * 4096}
        decoded = files["sub\\data.bin"] + files["Setup.exe"]  # highest id first
        frame = zstd_frame(decoded)
        flipped = bytearray(frame)
        flipped[len(flipped) // 2] ^= 0x40
        cases = [
            ("flipped bytes", stream_header(len(decoded)) + bytes(flipped), None, ""),
            ("truncated", stream_header(len(decoded)) + frame[:-40], None, ""),
            ("extra bytes", stream_header(len(decoded)) + frame + b"\0extra", "Setup.exe", "after the end"),
            ("a window over the limit", stream_header(len(decoded)) + FRAME_WITH_LARGE_WINDOW, "sub\\data.bin",
             "too much memory"),
            ("not a stream", b"\0" * 64, "sub\\data.bin", "header"),
        ]
        for what, stream, failing, reason in cases:
            with self.subTest(what):
                fresh_folder(self.base)
                run, lines = self.run_setup(self.packed_setup(stream, files))
                self.assertEqual(run.exit_code, CORRUPT_FILE, "\n".join(lines))
                work = work_folder_from_log(lines)
                failed = [re.fullmatch(re.escape(work) + r"\\(.*) Unpacking has failed: (.+)", line) for line in lines]
                failed = [m for m in failed if m]
                self.assertEqual(len(failed), 1, "\n".join(lines))
                name = failed[0].group(1)
                if failing:
                    self.assertEqual(name, failing)
                self.assertIn(reason, failed[0].group(2))
                assert_lines_in_order(self, lines, [f"Extract File {name} 80040167", "Remove folder 'Yes'"])
                self.assertFalse(any(line.startswith("RunProgram") for line in lines))
                self.assertFalse(self.report.exists(), "nothing was started")
                self.assertEqual(list(self.base.iterdir()), [], "the working folder is gone")

    def test_decoded_length_unlike_the_manifest_fails_and_the_file_stays(self):
        files = {"Setup.exe": win_program("payload").read_bytes(), "data.bin": b"twelve bytes"}
        decoded = files["data.bin"] + files["Setup.exe"]
        setup = self.packed_setup(stream_header(len(decoded)) + zstd_frame(decoded), files, sizes={"data.bin": 13})
        run, lines = self.run_setup(setup, "/keep")
        self.assertEqual(run.exit_code, CORRUPT_FILE)
        work = work_folder_from_log(lines)
        assert_lines_in_order(self, lines, ["Work Out FileName data.bin, Bytes 13", f"{work}\\data.bin Write file has failed",
                                            "Extract File data.bin 80040167", "Remove folder 'No'"])
        self.assertEqual((self.wine.unix_path(work) / "data.bin").read_bytes(), files["data.bin"])
        shutil.rmtree(self.wine.unix_path(work))


if __name__ == "__main__":
    unittest.main()
