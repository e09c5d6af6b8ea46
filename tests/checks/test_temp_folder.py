"""The temp folder the stub works in, from GetTempPathW: a path of exactly 100 characters is
taken, one of 101 is not (the user's application data folder is taken instead)."""
import unittest

from harness import WineTestCase
from checks_setup import pack_setup, run_silent


class TempFolderFromTheSystem(WineTestCase):
    def temp_path_of(self, length: int) -> str:
        """A folder below the scratch folder whose Windows path, with its final backslash, has
        `length` characters."""
        base = self.win(self.scratch) + "\\"
        name = "t" * (length - len(base) - 1)
        (self.scratch / name).mkdir(exist_ok=True)
        path = base + name + "\\"
        self.assertEqual(len(path), length)
        return path

    def test_limit_of_100_characters(self):
        setup = pack_setup(self.scratch / "setup.exe")
        for length, taken in ((100, True), (101, False)):
            with self.subTest(length=length):
                temp = self.temp_path_of(length)
                run, lines = run_silent(self, setup, tmp=temp)
                expected = temp if taken else "C:\\users\\root\\AppData\\Roaming"
                self.assertIn(f"Temp folder '{expected}'", lines)
                self.assertIn(f"Free Disk Space: Checking at least 100 MB free on drive 'C:' for temp directory "
                              f"'{expected}'", lines)


if __name__ == "__main__":
    unittest.main()
