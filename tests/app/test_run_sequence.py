"""The stub's run from start to exit code, driven from its command line."""
import unittest

from harness import WineTestCase, run_stub


class StartAndExit(WineTestCase):
    def test_plain_silent_run_ends_with_zero(self):
        run = run_stub(args=["/IAgreeToTheEULA"])
        self.assertEqual(run.exit_code, 0)


if __name__ == "__main__":
    unittest.main()
