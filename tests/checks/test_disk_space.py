"""The free-space check end to end: the requirement of entry 103 against the free megabytes
Wine reports for the temp folder's drive, and the temp folders whose drive cannot be measured.
Exact amounts come from a small tmpfs linked into the prefix as a drive (when the test may
mount one); the rule's arithmetic is also covered natively through its seam."""
import os
import shutil
import unittest

from harness import Wine, WineTestCase, can_mount_tmpfs, small_drive
from checks_setup import MEDIUM_FULL, pack_setup, run_silent

DISK_ENTRY = 103
MB = 1 << 20


class FreeDiskSpace(WineTestCase):
    @classmethod
    def setUpClass(cls):
        shared = Wine("win32").scratch("FreeDiskSpace.shared")
        cls.setups = {text: pack_setup(shared / f"disk-{text}.exe", settings={DISK_ENTRY: text})
                      for text in ("100", "0", "2147483647")}
        cls.setups[None] = pack_setup(shared / "disk-missing.exe", unset=[DISK_ENTRY])

    def checking_line(self, required, drive, temp):
        return f"Free Disk Space: Checking at least {required} MB free on drive '{drive}' for temp directory '{temp}'"

    def test_huge_requirement_on_the_real_drive(self):
        temp = self.win(self.scratch)
        run, lines = run_silent(self, self.setups["2147483647"], "temp", temp)
        self.assertEqual(run.exit_code, MEDIUM_FULL)
        self.assertIn(self.checking_line(2147483647, "C:", temp), lines)
        prefix = "Insufficient disk space: 2147483647 MB required but only "
        verdict = [line for line in lines if line.startswith(prefix)]
        self.assertEqual(len(verdict), 1, "\n".join(lines))
        free = int(verdict[0][len(prefix):-len(" MB free.")])
        stat = os.statvfs(self.wine.drive_c)
        self.assertAlmostEqual(free, stat.f_bavail * stat.f_frsize // MB, delta=256, msg="as the file system says")
        self.assertNotIn("Run Embedded Resources ", lines, "the worker never starts")
        self.assertTrue(any(line.startswith("Insufficient disk space on drive 'C:'.") for line in lines),
                        "the report names the drive")

    def test_no_requirement_passes(self):
        for setting in ("0", None):
            with self.subTest(setting=setting):
                run, lines = run_silent(self, self.setups[setting])
                self.assertIn(self.checking_line(0, "C:", "C:\\users\\root\\Temp\\"), lines)
                self.assertIn("Free disk space requirement passed.", lines)
                self.assertNotEqual(run.exit_code, MEDIUM_FULL)

    def test_unc_temp_folder_is_measured_at_the_shares_root(self):
        # Windows answers for a reachable share's root; Wine fails every UNC path (error 3), so
        # here the check fails, naming the share's root rather than an empty drive.
        temp = "\\\\server\\share\\temp\\"
        root = "\\\\server\\share\\"
        run, lines = run_silent(self, self.setups["100"], "temp", temp)
        self.assertEqual(run.exit_code, MEDIUM_FULL)
        index = lines.index(self.checking_line(100, root, temp))
        self.assertEqual(lines[index + 1], "Failed to check free disk space.")
        self.assertTrue(any(line.startswith(f"Insufficient disk space on drive '{root}'.") for line in lines))

    def test_directory_part_too_long_to_split(self):
        temp = "C:\\" + "d" * 254 + "\\"  # a directory part of 256 characters
        run, lines = run_silent(self, self.setups["100"], "temp", temp)
        self.assertEqual(run.exit_code, MEDIUM_FULL)
        index = lines.index("Free Disk Space")
        self.assertEqual(lines[index + 1], f"Failed to parse directory for free disk space check. {temp}")
        self.assertTrue(any(line.startswith("Insufficient disk space on drive ''.") for line in lines),
                        "no drive was found")


@unittest.skipUnless(can_mount_tmpfs(), "mounting a tmpfs needs privileges this run does not have")
class FreeDiskSpaceOnASmallDrive(WineTestCase):
    """A 100 MB tmpfs as a drive of the prefix."""

    @classmethod
    def setUpClass(cls):
        shared = Wine("win32").scratch("FreeDiskSpaceOnASmallDrive.shared")
        cls.setups = {text: pack_setup(shared / f"disk-{text}.exe", settings={DISK_ENTRY: text}) for text in ("100", "0")}
        cls.setups[None] = pack_setup(shared / "disk-missing.exe", unset=[DISK_ENTRY])

    def setUp(self):
        super().setUp()
        self.drive, self.mount = self.enterContext(small_drive(self.wine, "100m"))

    def fill(self, size: int):
        (self.mount / f"fill-{size}").write_bytes(b"\0" * size)

    def run_on_drive(self, setting):
        return run_silent(self, self.setups[setting], "temp", self.drive + "\\")

    def test_100_mb_against_exactly_100_and_99_9_mb_free(self):
        run, lines = self.run_on_drive("100")
        self.assertIn(self.checking_line(100, self.drive, self.drive + "\\"), lines)
        self.assertIn("Free disk space requirement passed.", lines)
        self.assertNotEqual(run.exit_code, MEDIUM_FULL)

        self.fill(104858)  # 0.1 MB, which the file system rounds up to whole pages
        run, lines = self.run_on_drive("100")
        self.assertIn("Insufficient disk space: 100 MB required but only 99 MB free.", lines)
        self.assertEqual(run.exit_code, MEDIUM_FULL)

    def test_a_full_drive_passes_without_a_requirement(self):
        try:
            self.fill(100 * MB)
        except OSError:
            pass  # filled up to the last page
        self.assertEqual(shutil.disk_usage(self.mount).free, 0)
        for setting in ("0", None):
            with self.subTest(setting=setting):
                run, lines = self.run_on_drive(setting)
                self.assertIn(self.checking_line(0, self.drive, self.drive + "\\"), lines)
                self.assertIn("Free disk space requirement passed.", lines)

    checking_line = FreeDiskSpace.checking_line


if __name__ == "__main__":
    unittest.main()
