"""An interactive run of a setup file that fails its signature check asks the user, in the
message dialog, whether to go on: Yes goes on, No ends the run with 0x800B0100."""
import subprocess
import threading
import time
import unittest

from harness import Wine, WineTestCase, read_log, run_stub
from signature_setups import APPLICATION_NAME, assert_in_order, pack_setup


class SignatureQuestion(WineTestCase):
    """An interactive run asks before it goes on with a file that fails the check."""

    @classmethod
    def setUpClass(cls):
        shared = Wine("win32").scratch("SignatureQuestion.shared")
        cls.unsigned = pack_setup(shared / "unsigned.exe", shared / "payload")

    def answer(self, keys: list, timeout=30) -> list:
        """Waits for each dialog of the setup in turn and sends it the next key; returns the
        keys it sent."""
        env = dict(self.wine.env)
        sent = []
        deadline = time.monotonic() + timeout
        while keys and time.monotonic() < deadline and not self.finished.is_set():
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{APPLICATION_NAME}$"],
                                   env=env, capture_output=True, text=True)
            windows = found.stdout.split()
            if windows:
                subprocess.run(["xdotool", "keyup", "Return", "Escape"], env=env, capture_output=True)
                subprocess.run(["xdotool", "key", "--window", windows[-1], keys[0]], env=env, capture_output=True)
                sent.append(keys.pop(0))
                time.sleep(1)
            else:
                time.sleep(0.2)
        return sent

    def run_interactive(self, *switches, keys):
        log = self.scratch / "setup.log"
        result = {}
        self.finished = threading.Event()

        def run():
            result["run"] = run_stub(self.unsigned, args=["log", self.win(log), "temp",
                                                            self.win(self.scratch), *switches], wine=self.wine)
            self.finished.set()

        thread = threading.Thread(target=run)
        thread.start()
        sent = self.answer(list(keys))
        thread.join(120)
        return result.get("run"), read_log(log), sent

    def test_no_ends_the_run(self):
        # No to the question, then the failure notice that follows is closed as well.
        run, text, sent = self.run_interactive("/dontrun", keys=["Escape", "Escape"])
        self.assertGreaterEqual(len(sent), 1, "the question dialog did not come up")
        assert_in_order(self, text, ["Certificate error 800b0100\n", "Not signed correctly 800b0100\n"])
        self.assertNotIn("GetAuthenticodeInformation", text)
        self.assertEqual(run.exit_code, 0x800B0100)

    def test_yes_goes_on(self):
        run, text, sent = self.run_interactive("/dontrun", keys=["Return"])
        self.assertEqual(sent, ["Return"], "the question dialog did not come up")
        assert_in_order(self, text, ["Certificate error 800b0100\n", "Not signed correctly 800b0100\n",
                                 "Digital verification: Failed\n", "Run Embedded Resources \n"])
        self.assertEqual(run.exit_code, 0)


if __name__ == "__main__":
    unittest.main()
