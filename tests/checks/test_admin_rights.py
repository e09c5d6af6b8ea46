"""The administrator check end to end. Wine's user is always an administrator; the launcher's
restricted token (Administrators disabled, as in a token that user account control filters)
makes the membership test fail for real, so it shows whether the test is made at all."""
import unittest

from harness import Wine, WineTestCase
from checks_setup import ADMIN_RIGHTS_MISSING, pack_setup, run_silent

ADMIN_ENTRY = 145


class AdministratorRights(WineTestCase):
    @classmethod
    def setUpClass(cls):
        shared = Wine("win32").scratch("AdministratorRights.shared")
        cls.setups = {text: pack_setup(shared / f"admin-{index}.exe", settings={ADMIN_ENTRY: text})
                      for index, text in enumerate(["0", "1", "00", " 0"])}
        cls.setups[None] = pack_setup(shared / "admin-missing.exe", unset=[ADMIN_ENTRY])

    def test_exactly_0_skips_the_membership_test(self):
        run, lines = run_silent(self, self.setups["0"], restricted=True)
        self.assertNotEqual(run.exit_code, ADMIN_RIGHTS_MISSING)
        self.assertIn(".NET Version OK", lines, "the run goes on to the next checks")
        self.assertIn("Run Embedded Resources ", lines)

    def test_any_other_text_requires_membership(self):
        for text in ("1", "00", " 0", None):
            with self.subTest(setting=text):
                run, lines = run_silent(self, self.setups[text], restricted=True)
                self.assertEqual(run.exit_code, ADMIN_RIGHTS_MISSING, "\n".join(lines))
                self.assertNotIn(".NET 2.0 -1", lines, "the later checks are skipped")
                self.assertNotIn("Run Embedded Resources ", lines)

    def test_a_member_passes(self):
        run, lines = run_silent(self, self.setups["1"])
        self.assertNotEqual(run.exit_code, ADMIN_RIGHTS_MISSING)
        self.assertIn(".NET Version OK", lines)


if __name__ == "__main__":
    unittest.main()
