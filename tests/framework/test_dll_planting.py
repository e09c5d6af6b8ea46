"""A DLL planted beside the setup file is never loaded by a run of the stub (under Wine).

Wine loads its own built-in library for a system DLL's name unless told to prefer a native
file (WINEDLLOVERRIDES name=n,b); with that preference it searches as Windows does, the
program's own folder first. version.dll and shlwapi.dll cannot be checked this way: Wine's own
user32 and shell32 import them when any program starts, before the program runs a line. On
Windows user32 and shell32 are known DLLs whose dependencies come from the system folder.
"""
import shutil
import unittest

from harness import WineTestCase, read_log, run_stub, signed_stub, win_program

PLANTED = ["comctl32.dll", "wintrust.dll", "crypt32.dll"]
PREFER_NATIVE = "mscoree,mshtml=;" + ",".join(name[:-4] for name in PLANTED) + "=n,b"


class PlantedLibraries(WineTestCase):
    def setUp(self):
        super().setUp()
        self.downloads = self.scratch / "Downloads"
        self.downloads.mkdir()
        for name in PLANTED:
            shutil.copy(win_program("planted").with_suffix(".dll"), self.downloads / name)

    def markers(self):
        return sorted(p.name for p in self.downloads.glob("*.loaded"))

    def test_the_planted_libraries_are_found_by_a_plain_load_by_name(self):
        # The control: without a restricted search path the planted files win.
        control = self.downloads / "loadbyname.exe"
        shutil.copy(win_program("loadbyname"), control)
        result = self.wine.run(control, PLANTED, env={"WINEDLLOVERRIDES": PREFER_NATIVE})
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(self.markers(), sorted(name + ".loaded" for name in PLANTED), result.stdout)

    def test_a_run_of_the_stub_loads_none_of_them(self):
        setup = self.downloads / "BrennixInstaller.exe"
        shutil.copy(signed_stub(), setup)
        run = run_stub(setup, args=["/IAgreeToTheEULA", "log", self.win(self.downloads)],
                       env={"WINEDLLOVERRIDES": PREFER_NATIVE})
        self.assertEqual(run.exit_code, 0)
        self.assertRegex(read_log(self.downloads / "CVInstall.log"), r"\nEnded \d+\n$")
        self.assertEqual(self.markers(), [])


if __name__ == "__main__":
    unittest.main()
