"""The help switch opens the maker's help page and runs nothing else (under Wine).

A stand-in browser records the address: Wine's shell takes the http handler from HKCR (a user's
own HKCU\\Software\\Classes entry is not consulted), so the test points the machine's handler at
the stand-in and puts the old one back afterwards. Registered as a display test, so it never
overlaps another test that opens addresses.
"""
import re
import shutil
import time
import unittest

from gui_state import GuiTestCase
from harness import run_stub, win_program

HANDLER_KEY = r"HKCR\http\shell\open\command"


class HelpPage(GuiTestCase):
    def set_http_handler(self, command: str):
        result = self.wine.run("reg", ["add", HANDLER_KEY, "/ve", "/d", command, "/f"])
        self.assertEqual(result.returncode, 0, result.stderr)

    def setUp(self):
        super().setUp()
        query = self.wine.run("reg", ["query", HANDLER_KEY, "/ve"]).stdout.decode(errors="replace")
        previous = re.search(r"REG_SZ\s+(.*\S)", query)
        if previous:
            self.addCleanup(self.set_http_handler, previous.group(1))
        recorder = self.scratch / "url_recorder.exe"
        shutil.copy(win_program("url_recorder"), recorder)
        self.opened = self.scratch / "opened.txt"
        self.set_http_handler(f'"{self.win(recorder)}" "%1"')

    def opened_addresses(self, wait=10.0) -> list:
        # The browser is started, not waited for.
        deadline = time.monotonic() + wait
        while not self.opened.exists() and time.monotonic() < deadline:
            time.sleep(0.2)
        return self.opened.read_text(encoding="utf-8").split() if self.opened.exists() else []

    def test_help_opens_the_help_page_and_ends_with_zero(self):
        run = run_stub(args=["/?", "/IAgreeToTheEULA"])
        self.assertEqual(run.exit_code, 0)
        addresses = self.opened_addresses()
        self.assertEqual(len(addresses), 1, addresses)
        self.assertRegex(addresses[0], r"^http://[^/]+/Installer/Help$")

    def test_a_run_without_help_opens_nothing(self):
        run = run_stub(args=["/temp", "/IAgreeToTheEULA"])
        self.assertEqual(run.exit_code, 0x80030057)
        self.assertEqual(self.opened_addresses(wait=2.0), [])


if __name__ == "__main__":
    unittest.main()
