"""What a setup file does when its payload or its folders are wrong: the result code, the log
lines, and what is left on disk."""
import os
import re
import stat
import subprocess
import unittest
from pathlib import Path

from harness import Wine, WineTestCase, native_tool, run_stub, stub_exe, win_program
from payload_setup import (ZERO_GUID_NAME, assert_lines_in_order, fresh_folder, log_lines, make_sample_payload, pack,
                           signed_copy, start_signing, stop_signing, work_folder_from_log)

E_FAIL = 0x80004005
E_INVALIDARG = 0x80070057
CORRUPT_FILE = 0x80040167


def setUpModule():
    start_signing([Wine("win32")])


def tearDownModule():
    stop_signing()


class PayloadFailures(WineTestCase):
    def setUp(self):
        super().setUp()
        self.base = fresh_folder(self.scratch / "tmp")
        self.report = self.scratch / "report.txt"

    def run_setup(self, setup, *switches, base=None):
        log = self.scratch / "setup.log"
        run = run_stub(setup, args=["log", self.win(log), "temp", self.win(base or self.base), "/IAgreeToTheEULA", *switches],
                       env={"BRENNIX_PAYLOAD_REPORT": self.win(self.report)}, wine=self.wine)
        return run, log_lines(log)

    def data_file(self, name="data.bin", data=b"payload data\r\n") -> Path:
        path = self.scratch / "sources" / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
        return path

    def files_under(self, folder: Path) -> list:
        return sorted(str(p.relative_to(folder)) for p in folder.rglob("*") if p.is_file())

    def test_a_setup_file_without_payload_resources_fails_to_enumerate(self):
        run, lines = self.run_setup(signed_copy(stub_exe(), self.scratch / "bare-stub.exe"))
        self.assertEqual(run.exit_code, E_FAIL)
        assert_lines_in_order(self, lines, ["Enumerate Resources has failed", "Remove folder 'Yes'"])
        self.assertFalse(any(line.startswith("Enumerate Resources OK") for line in lines))
        self.assertFalse(any(line.startswith("RunProgram") for line in lines))

    def test_without_a_program_to_start_the_launch_fails(self):
        data = self.data_file()
        size = len(data.read_bytes())
        program = win_program("payload")
        notes = self.data_file("notes.exe.txt", b"not a program\r\n")
        cases = [
            ("no manifest", dict(files=[(102, "data.bin", data)], no_manifest=True), []),
            ("a manifest naming no program", dict(files=[(102, "data.bin", data)]), ["data.bin"]),
            ("a program named for an id with no resource",
             dict(files=[(102, "data.bin", data)], manifest=f"102*data.bin*{size}*107*Setup.exe*1000".encode()),
             ["data.bin"]),
            ("a program candidate that is no program",
             dict(files=[(102, "notes.exe.txt", notes), (103, "real.dll", program)]), ["notes.exe.txt", "real.dll"]),
        ]
        for what, options, written in cases:
            with self.subTest(what):
                setup = pack(fresh_folder(self.scratch / "setup") / "setup.exe", **options)
                run, lines = self.run_setup(setup, "/keep")
                self.assertEqual(run.exit_code, E_INVALIDARG)
                assert_lines_in_order(self, lines, ["WorkOutFileNames 0", re.compile("RunProgram program '.*'"),
                                                    "Run Program returned error", "Remove folder 'No'"])
                self.assertFalse(any(line.startswith("RunProgram returned") for line in lines))
                self.assertFalse(self.report.exists(), "nothing was started")
                work = self.wine.unix_path(work_folder_from_log(lines))
                self.assertEqual(self.files_under(work), sorted(written))

    def test_a_size_field_of_letters_fails_as_corrupt_and_the_file_stays(self):
        data = self.data_file()
        setup = pack(self.scratch / "setup.exe", files=[(102, "data.bin", data), (103, "Setup.exe", win_program("payload"))],
                     manifest=f"102*data.bin*big*103*Setup.exe*{win_program('payload').stat().st_size}".encode())
        run, lines = self.run_setup(setup, "/keep")
        self.assertEqual(run.exit_code, CORRUPT_FILE)
        work = work_folder_from_log(lines)
        assert_lines_in_order(self, lines, ["Work Out FileName data.bin, Bytes 0", f"{work}\\Setup.exe written Ok",
                                            f"{work}\\data.bin Write file has failed", "Extract File data.bin 80040167",
                                            "Remove folder 'No'"])
        self.assertFalse(any(line.startswith("RunProgram") for line in lines))
        self.assertEqual((self.wine.unix_path(work) / "data.bin").read_bytes(), data.read_bytes())

    def test_an_unwritable_base_folder_fails_a_silent_run(self):
        base = self.scratch / "missing" / "deeper"
        setup = pack(self.scratch / "setup.exe", files=[(102, "Setup.exe", win_program("payload"))])
        run, lines = self.run_setup(setup, base=base)
        self.assertEqual(run.exit_code, E_FAIL)
        assert_lines_in_order(self, lines, [f"Set temp folder '{self.win(base)}'",
                                            re.compile(re.escape(f"Failed to create temp file '{self.win(base)}\\") + ".*'")])
        self.assertFalse(any(line.startswith(("Enumerate Resources", "Remove folder")) for line in lines))
        self.assertFalse((self.scratch / "missing").exists())

    def test_names_that_leave_the_working_folder_are_refused(self):
        data = self.data_file("evil.txt", b"should never be written\r\n")
        size = len(data.read_bytes())
        for name in ["..\\evil.txt", "sub\\..\\..\\evil.txt", ".. \\evil.txt", "\\evil.txt",
                     self.win(self.scratch / "evil.txt"), "C:evil.txt", "\\\\localhost\\c$\\evil.txt",
                     "... \\evil.txt", "CON", "sub\\aux.txt", "Lpt1.log"]:
            with self.subTest(name=name):
                setup = pack(fresh_folder(self.scratch / "setup") / "setup.exe",
                             files=[(102, "Setup.exe", win_program("payload")), (103, "evil.txt", data)],
                             manifest=f"102*Setup.exe*{win_program('payload').stat().st_size}*103*{name}*{size}".encode())
                run, lines = self.run_setup(setup)
                self.assertEqual(run.exit_code, E_FAIL)
                assert_lines_in_order(self, lines, [f"Refused file name '{name}' outside the temp folder",
                                                    "WorkOutFileNames 80004005", "Remove folder 'Yes'"])
                self.assertFalse(any(line.endswith("written Ok") for line in lines), "nothing at all is written")
                drive_c = self.wine.drive_c
                self.assertEqual([p for p in drive_c.rglob("evil.txt") if "sources" not in p.parts], [])
                self.assertEqual(os.listdir(self.base), [])

    def test_a_file_path_beyond_the_limit_is_refused(self):
        data = self.data_file()
        long_name = "d" * 200 + "\\" + "e" * 40 + ".bin"
        setup = pack(self.scratch / "setup.exe", files=[(102, "Setup.exe", win_program("payload")), (103, "long.bin", data)],
                     manifest=f"102*Setup.exe*{win_program('payload').stat().st_size}*103*{long_name}*{len(data.read_bytes())}".encode())
        run, lines = self.run_setup(setup)
        self.assertEqual(run.exit_code, E_FAIL)
        assert_lines_in_order(self, lines, [f"File path too long '{long_name}'", f"Extract File {long_name} 80004005",
                                            "Remove folder 'Yes'"])
        self.assertEqual(os.listdir(self.base), [])


class PayloadLinks(WineTestCase):
    """An elevated stub is not steered through links. Wine shows a Unix symbolic link to a
    folder as a reparse point (FILE_ATTRIBUTE_REPARSE_POINT), as Windows shows a junction."""

    def setUp(self):
        super().setUp()
        self.base = fresh_folder(self.scratch / "tmp")
        self.work = self.base / ZERO_GUID_NAME
        self.target = fresh_folder(self.scratch / "elsewhere")
        (self.target / "precious.txt").write_bytes(b"keep me\r\n")
        self.target.chmod(0o750)
        self.payload = fresh_folder(self.scratch / "payload")
        make_sample_payload(self.payload)
        self.setup = pack(self.scratch / "setup.exe", payload=self.payload)

    def run_setup(self, *switches, setup=None):
        log = self.scratch / "setup.log"
        run = run_stub(setup or self.setup, args=["log", self.win(log), "temp", self.win(self.base), "/IAgreeToTheEULA",
                                                  "/zeroguid", *switches], wine=self.wine, cwd=self.win(self.scratch))
        return run, log_lines(log)

    def assert_target_untouched(self):
        self.assertEqual(sorted(os.listdir(self.target)), ["precious.txt"])
        self.assertEqual((self.target / "precious.txt").read_bytes(), b"keep me\r\n")
        self.assertEqual(stat.S_IMODE(self.target.stat().st_mode), 0o750, "the access list was not widened through the link")

    def test_a_working_folder_that_is_a_link_is_not_used(self):
        self.work.symlink_to(self.target, target_is_directory=True)
        # With embedded information, which would go into the working folder as "info.xml".
        info = self.scratch / "info-source.xml"
        info.write_bytes(b"<info>tagged</info>")
        tagged = self.scratch / "tagged.exe"
        subprocess.run([str(native_tool("brennix-tag")), "--in", str(self.setup), "--out", str(tagged), "--info", str(info)],
                       check=True, capture_output=True, timeout=60)
        run, lines = self.run_setup(setup=tagged)
        self.assertEqual(run.exit_code, E_FAIL)
        # (win() would follow the link; the stub names the link itself.)
        work = self.win(self.base) + "\\" + ZERO_GUID_NAME
        assert_lines_in_order(self, lines, [f"Temp folder '{work}' is a link, not used",
                                            "WorkOutFileNames 80004005", "Remove folder 'Yes'",
                                            "Temp folder not in use, nothing removed"])
        self.assertFalse(any(line.startswith(("Set the temp folder to be", "RunProgram", "Manual Deletion",
                                              "Deletion")) for line in lines))
        self.assertTrue(self.work.is_symlink())
        self.assert_target_untouched()
        self.assertEqual(list(self.scratch.rglob("info.xml")), [], "no info.xml elsewhere either")

    def test_a_subfolder_that_is_a_link_is_not_written_through(self):
        self.work.mkdir()
        (self.work / "sub").symlink_to(self.target, target_is_directory=True)
        run, lines = self.run_setup("/keep")
        self.assertEqual(run.exit_code, E_FAIL)
        assert_lines_in_order(self, lines, [f"{self.win(self.work)}\\sub\\nested.txt is reached through a link, not written",
                                            "Extract File sub\\nested.txt 80004005"])
        self.assert_target_untouched()

    def test_a_hard_link_in_a_reused_folder_is_replaced_not_written_through(self):
        self.work.mkdir()
        os.link(self.target / "precious.txt", self.work / "data.bin")
        run, lines = self.run_setup("/keep")
        self.assertEqual(run.exit_code, 0)
        self.assert_target_untouched()
        self.assertEqual((self.work / "data.bin").read_bytes(), (self.payload / "data.bin").read_bytes())
        self.assertEqual((self.work / "data.bin").stat().st_nlink, 1, "a file of its own")

    def test_removal_deletes_links_without_entering_them(self):
        self.work.mkdir()
        (self.work / "left-link").symlink_to(self.target, target_is_directory=True)
        run, lines = self.run_setup()
        self.assertEqual(run.exit_code, 0)
        work = self.win(self.work)
        assert_lines_in_order(self, lines, [f"Deletion Folder of '{work}'", f"Deletion link '{work}\\left-link'",
                                            f"Remove Folder '{work}'"])
        self.assertFalse(any("precious.txt" in line for line in lines), "the link was never entered")
        self.assert_target_untouched()
        # Windows removes the link itself; Wine's RemoveDirectoryW follows it to the (non-empty)
        # target and fails, so here the link and its folder stay.


if __name__ == "__main__":
    unittest.main()
