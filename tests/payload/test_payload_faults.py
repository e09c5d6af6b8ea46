"""Faults users hit, end to end: each run ends with a clear log line and exit code and leaves
nothing behind that it should not. A read-only file, a file held by a child the installer
left running, a full drive in the middle of extraction, a crashing installer, a cut or altered
setup file, and many runs in a row."""
import os
import re
import shutil
import time
import unittest
from pathlib import Path

from harness import Wine, WineTestCase, can_mount_tmpfs, run_stub, small_drive, win_program
from signature_setups import change_one_payload_byte
from payload_setup import (assert_lines_in_order, fresh_folder, log_lines, make_sample_payload, pack, start_signing,
                           stop_signing, work_folder_from_log)

MEDIUM_FULL = 0x80030070
ACCESS_VIOLATION = 0xC0000005
NOT_SIGNED = 0x800B0100
# Longer than the removal goes on trying files in use (about 3 s).
LONG_HOLD_MS = 9000


def setUpModule():
    start_signing([Wine("win32")])


def tearDownModule():
    stop_signing()


def files_under(folder: Path) -> list:
    return sorted(str(p.relative_to(folder)) for p in folder.rglob("*") if p.is_file())


class PayloadFaults(WineTestCase):
    @classmethod
    def setUpClass(cls):
        shared = Wine("win32").scratch("PayloadFaults.shared")
        cls.files = make_sample_payload(fresh_folder(shared / "payload"))
        cls.setup = pack(shared / "setup.exe", payload=shared / "payload")

    def setUp(self):
        super().setUp()
        self.base = fresh_folder(self.scratch / "tmp")

    def run_setup(self, setup=None, env=None, base=None):
        log = self.scratch / "setup.log"
        log.unlink(missing_ok=True)
        run = run_stub(setup or self.setup, args=["log", self.win(log), "temp", self.win(base or self.base),
                                                  "/IAgreeToTheEULA"], env=env, wine=self.wine)
        return run, log_lines(log)

    def test_a_read_only_file_is_left_and_the_run_ends_normally(self):
        run, lines = self.run_setup(env={"BRENNIX_PAYLOAD_READONLY": "data.bin"})
        self.assertEqual(run.exit_code, 0)
        work = work_folder_from_log(lines)
        assert_lines_in_order(self, lines, ["RunProgram returned 0", "Remove folder 'Yes'",
                                            f"Deletion file '{work}\\data.bin'", f"Remove Folder '{work}'"])
        self.assertFalse(any(line.startswith("Files in use") for line in lines), "a read-only file is not retried")
        left = self.wine.unix_path(work)
        self.assertEqual(files_under(left), ["data.bin"], "only the read-only file stays, with its folder")
        (left / "data.bin").chmod(0o644)

    def test_a_file_held_by_a_child_that_lets_go_soon_is_still_removed(self):
        run, lines = self.run_setup(env={"BRENNIX_PAYLOAD_CHILD": "2500:data.bin"})
        self.assertEqual(run.exit_code, 0)
        self.assertTrue(any(line.startswith("Files in use, removing ") for line in lines), "\n".join(lines))
        self.assertEqual(os.listdir(self.base), [], "everything went once the child let go")

    def test_a_file_held_by_a_child_that_keeps_running_is_left(self):
        started = time.monotonic()
        run, lines = self.run_setup(env={"BRENNIX_PAYLOAD_CHILD": f"{LONG_HOLD_MS}:data.bin"})
        self.assertEqual(run.exit_code, 0)
        self.assertLess(time.monotonic() - started, LONG_HOLD_MS / 1000, "the removal gave up before the child ended")
        work = work_folder_from_log(lines)
        self.assertTrue(any(line == f"Files in use, removing '{work}' again" for line in lines))
        left = files_under(self.wine.unix_path(work))
        self.assertIn("data.bin", left)
        self.assertNotIn("Setup.exe.config", left, "what was not in use went")
        self.assertNotIn("sub\\nested.txt".replace("\\", os.sep), left)
        time.sleep(LONG_HOLD_MS / 1000)  # the child ends; its folder is then this test's to clean

    def test_a_crashing_installer_hands_on_its_exception_code_and_its_folder_goes(self):
        run, lines = self.run_setup(env={"BRENNIX_PAYLOAD_CRASH": "1"})
        self.assertEqual(run.exit_code, ACCESS_VIOLATION)
        assert_lines_in_order(self, lines, [f"RunProgram returned {ACCESS_VIOLATION - (1 << 32)}", "Remove folder 'Yes'",
                                            re.compile(r"Remove Folder '.*'")])
        self.assertTrue(any(line.endswith("failed with exit code 0xc0000005.") for line in lines), "\n".join(lines))
        self.assertEqual(os.listdir(self.base), [], "the crashed program's folder is removed, Setup.exe included")

    def test_a_cut_setup_file_is_refused_before_anything_is_unpacked(self):
        cut = self.scratch / "cut.exe"
        data = self.setup.read_bytes()
        cut.write_bytes(data[:len(data) - 2048])  # the end of the signature is gone
        run, lines = self.run_setup(setup=cut)
        self.assertEqual(run.exit_code, NOT_SIGNED)
        self.assertIn("Not signed correctly so failing now!", lines)
        self.assertFalse(any(line.startswith(("Run Embedded Resources", "RunProgram")) for line in lines))
        self.assertEqual(os.listdir(self.base), [])

    def test_payload_bytes_changed_after_signing_are_refused_in_a_silent_run(self):
        altered = self.scratch / "altered.exe"
        change_one_payload_byte(self.setup, altered)
        run, lines = self.run_setup(setup=altered)
        self.assertEqual(run.exit_code, NOT_SIGNED)
        status = next(line for line in lines if line.startswith("Certificate error "))
        self.assertNotEqual(status, "Certificate error 0", "the change is seen")
        self.assertIn("Not signed correctly so failing now!", lines)
        self.assertEqual(os.listdir(self.base), [])

    def test_a_hundred_runs_in_a_row_leave_no_file_behind(self):
        for number in range(100):
            run, lines = self.run_setup()
            self.assertEqual(run.exit_code, 0, f"run {number}")
            self.assertEqual(os.listdir(self.base), [], f"run {number} left {files_under(self.base)}")


@unittest.skipUnless(can_mount_tmpfs(), "mounting a tmpfs needs privileges this run does not have")
class PayloadOnAFullDrive(WineTestCase):
    """A 2 MB tmpfs as a drive of the prefix, with a payload file larger than that: the drive
    fills in the middle of extraction."""

    def setUp(self):
        super().setUp()
        payload = fresh_folder(self.scratch / "payload")
        shutil.copy(win_program("payload"), payload / "Setup.exe")
        (payload / "big.bin").write_bytes(os.urandom(3 << 20))
        # 1 MB is required, so the check passes and extraction meets the full drive.
        self.setup = pack(self.scratch / "setup.exe", payload=payload, settings={103: "1"})
        self.drive, self.mount = self.enterContext(small_drive(self.wine, "2m"))

    def test_a_full_drive_ends_the_run_as_medium_full_and_nothing_stays(self):
        log = self.scratch / "setup.log"
        run = run_stub(self.setup, args=["log", self.win(log), "temp", self.drive + "\\", "/IAgreeToTheEULA"],
                       wine=self.wine)
        lines = log_lines(log)
        self.assertEqual(run.exit_code, MEDIUM_FULL)
        assert_lines_in_order(self, lines, [re.compile(r".*\\big\.bin Write file has failed after \d+ of 3145728 bytes, error 112"),
                                            "Extract File big.bin 80030070", "Remove folder 'Yes'"])
        self.assertFalse(any(line.startswith("RunProgram") for line in lines))
        self.assertTrue(any(line.startswith("Insufficient disk space on drive") for line in lines), "\n".join(lines))
        self.assertEqual(os.listdir(self.mount), [], "the partly written file and the folder are gone")


if __name__ == "__main__":
    unittest.main()
