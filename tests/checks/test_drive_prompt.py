"""The drive prompt end to end under Xvfb, driven with xdotool as a user would: an interactive
run whose temp folder cannot be written asks for another one, with the old path selected so
that typing replaces it; OK goes on there, Cancel ends the run with E_FAIL, and a silent run
never asks. The setup file is signed by a test CA that the prefix trusts, so no signature
question comes first. A screenshot of the prompt is kept in the build's artifacts folder."""
import subprocess
import threading
import time
import unittest
from pathlib import Path

from gui_state import GuiTestCase
from harness import NATIVE_BUILD_DIR, Wine, read_log, read_payload_report, run_stub
from checks_setup import APPLICATION_NAME, E_FAIL, pack_setup
from signing import TestCertificates, trusted_root

ARTIFACTS = NATIVE_BUILD_DIR / "artifacts"
GUID = r"\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}"


class DrivePrompt(GuiTestCase):
    @classmethod
    def setUpClass(cls):
        cls.shared_wine = Wine("win32")
        shared = cls.shared_wine.scratch("DrivePrompt.shared")
        cls.certificates = TestCertificates("Brennix Checks Test CA")
        unsigned = pack_setup(shared / "unsigned.exe")
        cls.setup = shared / "setup.exe"
        cls.certificates.issue("publisher", "Brennix Checks Publisher").sign(unsigned, cls.setup, program_name="Checks")
        cls.root = trusted_root(cls.shared_wine, cls.certificates)
        cls.root.__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.root.__exit__(None, None, None)
        cls.certificates.close()

    def setUp(self):
        super().setUp()
        self.log = self.scratch / "setup.log"
        self.report = self.scratch / "report.txt"
        self.unwritable = self.scratch / "missing" / "deeper"  # its parent does not exist

    def xdotool(self, *args) -> str:
        return subprocess.run(["xdotool", *args], env=self.wine.env, capture_output=True, text=True,
                              timeout=30).stdout

    def start(self, *switches):
        """Starts the setup with the unwritable temp folder in a thread of its own."""
        self.result = {}
        self.finished = threading.Event()

        def run():
            try:
                self.result["run"] = run_stub(self.setup, args=["log", self.win(self.log), "temp",
                                                                self.win(self.unwritable), *switches],
                                              env={"BRENNIX_PAYLOAD_REPORT": self.win(self.report)},
                                              wine=self.wine, timeout=90)
            finally:
                self.finished.set()

        self.thread = threading.Thread(target=run)
        self.thread.start()

    def wait_for_dialog(self, timeout=30):
        """The visible window captioned with the application name, or None when the run ends or
        the time is up first."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and not self.finished.is_set():
            windows = self.xdotool("search", "--onlyvisible", "--name", f"^{APPLICATION_NAME}$").split()
            if windows:
                return windows[-1]
            time.sleep(0.2)
        return None

    def finish(self):
        self.thread.join(120)
        self.assertTrue(self.finished.is_set(), "the run did not end")
        return self.result["run"], read_log(self.log).split("\n")

    def test_ok_goes_on_in_the_folder_typed_over_the_selected_path(self):
        writable = self.scratch / "typed here"
        writable.mkdir()
        self.start()
        prompt = self.wait_for_dialog()
        self.assertIsNotNone(prompt, "the prompt did not come up")
        time.sleep(0.5)  # let it paint before the picture is taken
        ARTIFACTS.mkdir(parents=True, exist_ok=True)
        subprocess.run(["import", "-window", "root", str(ARTIFACTS / "drive_prompt.png")], env=self.wine.env,
                       check=True, timeout=30)
        # The old path is selected and the edit has the focus: typing replaces the whole text.
        self.xdotool("type", "--window", prompt, "--delay", "20", self.win(writable))
        self.xdotool("key", "--window", prompt, "Return")
        run, lines = self.finish()

        self.assertEqual(run.exit_code, 0, "\n".join(lines))
        probes = [line for line in lines if line.startswith("Set temp folder '")]
        self.assertEqual(probes, [f"Set temp folder '{self.win(self.unwritable)}'",
                                  f"Set temp folder '{self.win(writable)}'"])
        report = read_payload_report(self.report)
        self.assertRegex(report.cwd, "^" + self.win(writable).replace("\\", "\\\\") + r"\\" + GUID + "$",
                         "the run went on in the typed folder, not in one that kept part of the old path")
        self.assertFalse(self.unwritable.exists())

    def test_cancel_ends_the_run_with_e_fail(self):
        self.start()
        prompt = self.wait_for_dialog()
        self.assertIsNotNone(prompt, "the prompt did not come up")
        self.xdotool("key", "--window", prompt, "Escape")
        # A failure notice may follow on the main thread, captioned alike: close it too.
        deadline = time.monotonic() + 60
        while not self.finished.wait(1) and time.monotonic() < deadline:
            for window in self.xdotool("search", "--onlyvisible", "--name", f"^{APPLICATION_NAME}$").split():
                if window != prompt:
                    self.xdotool("key", "--window", window, "Escape")
        run, lines = self.finish()

        self.assertEqual(run.exit_code, E_FAIL)
        self.assertEqual([line for line in lines if line.startswith("Set temp folder '")],
                         [f"Set temp folder '{self.win(self.unwritable)}'"], "no second probe")
        self.assertIn("Contact Technical Support. Incorrect Brennix Checks Test build. (Try setting the temp folder "
                      "from the command line.)", lines)
        self.assertFalse(self.report.exists(), "nothing was started")

    def test_a_silent_run_never_asks(self):
        self.start("/IAgreeToTheEULA")
        self.assertIsNone(self.wait_for_dialog(timeout=60), "a silent run showed a window")
        run, lines = self.finish()
        self.assertEqual(run.exit_code, E_FAIL)
        index = lines.index(f"Set temp folder '{self.win(self.unwritable)}'")
        self.assertIn("Not Prompting the user as silent installation", lines[index:])
        self.assertFalse(self.report.exists())


if __name__ == "__main__":
    unittest.main()
