"""The processor-mode guard under Wine's 32-bit and 64-bit prefixes: which program types start,
and that redirection is off only across process creation (before the installer runs)."""
import unittest

from harness import Wine, WineTestCase, needs_32_bit_programs, run_stub, win_program
from payload_setup import assert_lines_in_order, fresh_folder, log_lines, pack, start_signing, stop_signing

E_ABORT = 0x80004004

PASS, FAIL, SWITCH = "pass", "fail", "switch"
ANNOUNCEMENT = {"x86": "Swapping to x86", "X86": "Swapping to x86", "x64": "Swapping to x64", "X64": "Swapping to x64",
                "x32Only": "Swapping to 32Bit only", "X32ONLY": "Swapping to 32Bit only", "arm64": "Staying on Any",
                "": "Staying on Any"}


def setUpModule():
    start_signing([Wine("win32"), Wine("win64")])


def tearDownModule():
    stop_signing()


# The guard decides by whether the stub runs under WOW64, which only a 32-bit stub can.
@needs_32_bit_programs("the processor-mode guard of the 32-bit stub, with and without WOW64")
class ProcessorModeCase(WineTestCase):
    arch = "win32"
    outcomes = {}

    @classmethod
    def setUpClass(cls):
        cls.shared = Wine(cls.arch).scratch(f"{cls.__name__}.shared")

    def run_with_setting(self, setting):
        setup = self.shared / f"setup-{setting or 'empty'}.exe"
        if not setup.exists():
            pack(setup, files=[(102, "Setup.exe", win_program("payload"))], settings={0: setting})
        base = fresh_folder(self.scratch / "tmp")
        log = self.scratch / "setup.log"
        report = self.scratch / "report.txt"
        if report.exists():
            report.unlink()
        # The installer appends to the log while it runs: it shows where the wait began.
        run = run_stub(setup, args=["log", self.win(log), "temp", self.win(base), "/IAgreeToTheEULA"],
                       env={"BRENNIX_PAYLOAD_REPORT": self.win(report), "BRENNIX_PAYLOAD_APPEND": self.win(log)},
                       wine=self.wine)
        return run, log_lines(log), report.exists()

    def test_the_program_type_decides_the_launch(self):
        for setting, outcome in self.outcomes.items():
            with self.subTest(setting=setting):
                run, lines, started = self.run_with_setting(setting)
                head = [f"ProgramType '{setting}'", ANNOUNCEMENT[setting]]
                if outcome == FAIL:
                    self.assertEqual(run.exit_code, E_ABORT)
                    self.assertFalse(started, "no process is created")
                    assert_lines_in_order(self, lines, head + ["Incorrect processor mode with installation type",
                                                               "Run Program, Failed to set processor mode",
                                                               "Remove folder 'Yes'"])
                    continue
                self.assertEqual(run.exit_code, 0)
                self.assertTrue(started)
                if outcome == SWITCH:
                    middle = ["Enabling 64Bit spawned processes", "Restoring 32Bit spawned processes"]
                else:
                    middle = []
                    self.assertNotIn("Enabling 64Bit spawned processes", lines)
                    self.assertNotIn("Restoring 32Bit spawned processes", lines)
                assert_lines_in_order(self, lines, head + middle + ["payload was here", "RunProgram returned 0"])
                self.assertEqual(lines.count("Restoring 32Bit spawned processes"), 1 if outcome == SWITCH else 0)


class ProcessorModeOn32BitWindows(ProcessorModeCase):
    arch = "win32"
    outcomes = {"x86": PASS, "x64": FAIL, "X64": FAIL, "x32Only": PASS, "X32ONLY": PASS, "arm64": PASS, "": PASS}


class ProcessorModeOn64BitWindows(ProcessorModeCase):
    arch = "win64"
    outcomes = {"x86": PASS, "X86": PASS, "x64": SWITCH, "X64": SWITCH, "x32Only": FAIL, "arm64": SWITCH, "": SWITCH}


del ProcessorModeCase

if __name__ == "__main__":
    unittest.main()
