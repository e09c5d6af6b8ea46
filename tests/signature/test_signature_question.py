"""An interactive run of a setup file that fails its signature check asks the user, in the
message dialog, whether to go on: Yes goes on, No ends the run with 0x800B0100. The dialog is
read and answered from outside with the UI test program (ui_probe), as a user's click would."""
import subprocess
import sys
import threading
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "ui"))
from desktop import one_line_text  # noqa: E402  (ui_probe's escaped one-line texts)
from gui_state import GuiTestCase
from harness import Wine, read_log, run_stub, sign, win_program
from signature_setups import APPLICATION_NAME, assert_in_order, change_one_payload_byte, pack_setup

WM_COMMAND = 0x0111
IDOK = 1
IDCANCEL = 2


class SignatureQuestion(GuiTestCase):
    @classmethod
    def setUpClass(cls):
        shared = Wine("win32").scratch("SignatureQuestion.shared")
        cls.unsigned = pack_setup(shared / "unsigned.exe", shared / "payload")
        # Signed, then one byte of the packed payload changed.
        signed = sign(pack_setup(shared / "signed.exe", shared / "payload-signed"))
        cls.altered = shared / "altered.exe"
        change_one_payload_byte(signed, cls.altered)

    def probe(self, *args):
        """Runs ui_probe; returns (exit code, output lines). Its output goes through a file, not a
        pipe: the first window of the session starts Wine's desktop process, which would inherit
        a pipe and hold it open."""
        output = self.scratch / "probe.txt"
        with open(output, "wb") as stream:
            code = subprocess.run([self.wine.loader, str(win_program("ui_probe")), *args], env=self.wine.env,
                                  stdin=subprocess.DEVNULL, stdout=stream, stderr=subprocess.DEVNULL,
                                  timeout=30).returncode
        return code, output.read_bytes().decode("utf-8").replace("\r\n", "\n").split("\n")

    def dialog_texts(self, timeout=30):
        """The texts of the setup's visible dialog once it is up, or None."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and not self.finished.is_set():
            code, lines = self.probe("controls", APPLICATION_NAME)
            if code == 0:
                return [one_line_text(line.split("\t", 8)[8]) for line in lines if line.startswith("control\t")]
            time.sleep(0.2)
        return None

    def press(self, button: int):
        self.probe("post", APPLICATION_NAME, str(WM_COMMAND), str(button))

    def start(self, *switches, setup=None):
        setup = setup or self.unsigned
        log = self.scratch / "setup.log"
        self.result = {}
        self.finished = threading.Event()

        def run():
            self.result["run"] = run_stub(setup, args=["log", self.win(log), "temp", self.win(self.scratch),
                                                                 *switches], wine=self.wine)
            self.finished.set()

        self.thread = threading.Thread(target=run)
        self.thread.start()
        self.addCleanup(self.close_leftover_dialogs)
        return log

    def close_leftover_dialogs(self):
        """A test that failed half-way leaves no setup waiting for an answer."""
        while self.thread.is_alive():
            self.press(IDCANCEL)
            self.thread.join(2)

    def finish(self, log):
        self.thread.join(120)
        self.assertIn("run", self.result, "the setup did not end")
        return self.result["run"], read_log(log)

    def assert_question(self, texts):
        self.assertIsNotNone(texts, "the question dialog did not come up")
        path = self.win(self.unsigned)
        self.assertIn(f"Verification of {APPLICATION_NAME} failed. Do you wish to continue?", texts)
        self.assertTrue(any(f'The file "{path}" is not signed. Error 0x800b0100' in text for text in texts), texts)
        self.assertIn("Yes", texts)
        self.assertIn("No", texts)

    def test_no_ends_the_run(self):
        log = self.start("/dontrun")
        self.assert_question(self.dialog_texts())
        self.press(IDCANCEL)
        # The failure notice that follows comes up in the same caption; close it as well.
        time.sleep(1)
        if self.dialog_texts(timeout=15) is not None:
            self.press(IDCANCEL)
        run, text = self.finish(log)
        assert_in_order(self, text, ["Certificate error 800b0100\n", "Not signed correctly 800b0100\n"])
        self.assertNotIn("GetAuthenticodeInformation", text)
        self.assertNotIn("Run Embedded Resources", text)
        self.assertEqual(run.exit_code, 0x800B0100)

    def test_payload_bytes_changed_after_signing_ask_and_no_ends_the_run(self):
        log = self.start("/dontrun", setup=self.altered)
        texts = self.dialog_texts()
        self.assertIsNotNone(texts, "the question dialog did not come up")
        self.assertIn(f"Verification of {APPLICATION_NAME} failed. Do you wish to continue?", texts)
        self.press(IDCANCEL)
        time.sleep(1)
        if self.dialog_texts(timeout=15) is not None:
            self.press(IDCANCEL)
        run, text = self.finish(log)
        self.assertRegex(text, r"Certificate error [0-9a-f]+\n")
        self.assertNotIn("Certificate error 0\n", text)
        self.assertNotIn("Run Embedded Resources", text)
        self.assertEqual(run.exit_code, 0x800B0100)

    def test_yes_goes_on(self):
        log = self.start("/dontrun")
        self.assert_question(self.dialog_texts())
        self.press(IDOK)
        run, text = self.finish(log)
        assert_in_order(self, text, ["Certificate error 800b0100\n", "Not signed correctly 800b0100\n",
                                     "Digital verification: Failed\n", "Run Embedded Resources \n"])
        self.assertEqual(run.exit_code, 0)


if __name__ == "__main__":
    unittest.main()
