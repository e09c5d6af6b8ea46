"""The .NET Framework check end to end: machine states written into the prefix's registry in the
view that the stub reads (the 32-bit one; the 64-bit one for the 64-bit twin), settings put into the setup file by the packer, and what the
stub logs and how its run ends. The tests take the .NET 4.8 state that the fixture gives every
prefix away and put it back at the end; they run alone (RUN_SERIAL), as every other test of the
run relies on that state."""
import unittest

from harness import (NET_SETUP_KEY, PROGRAM_VIEW, Wine, WineTestCase, install_net48, needs_32_bit_programs,
                     reg_import, remove_net_framework)
from checks_setup import NET_FRAMEWORK_MISSING, lines_after, pack_setup, run_silent

SHIPPED = ["-1", "-1", "-1", "-1", "0", "0", "0", "0", "0"]
SETTING_LINES = [".NET 2.0 {}", ".NET 3.0 {}", ".NET 3.5 {}", ".NET 4.0 Client {}", ".NET 4.0 Full {}",
                 ".NET 4.5 Client {}", ".NET 4.5 Full {}", ".NET 4.6 Full {}", ".NET 4.7.2 Full {}"]
SETTING_IDS = [138, 139, 140, 141, 142, 143, 144, 147, 148]


def setting_lines(texts):
    return [line.format(text) for line, text in zip(SETTING_LINES, texts)]


def net20(sp):
    return {"v2.0.50727": {"Install": 1, "SP": sp}}


def net35(version, sp):
    return {"v3.5": {"Install": 1, "Version": version, "SP": sp}}


def net4(profile, version, servicing=0, release=None):
    values = {"Install": 1, "Version": version, "Servicing": servicing}
    if release is not None:
        values["Release"] = release
    return {f"v4\\{profile}": values}


class NetFrameworkStates(WineTestCase):
    @classmethod
    def setUpClass(cls):
        shared = Wine("win32").scratch("NetFrameworkStates.shared")
        only_472 = ["-1"] * 8 + ["0"]
        cls.settings = {
            "shipped": SHIPPED,
            "138 at 0": ["0"] + SHIPPED[1:],
            "142 at 2": SHIPPED[:4] + ["2"] + SHIPPED[5:],
            "only 148": only_472,
        }
        cls.setups = {name: pack_setup(shared / f"{name.replace(' ', '-')}.exe",
                                       settings=dict(zip(SETTING_IDS, texts)))
                      for name, texts in cls.settings.items()}

    @classmethod
    def tearDownClass(cls):
        wine = Wine("win32")
        remove_net_framework(wine)
        install_net48(wine)

    def machine(self, keys, view=PROGRAM_VIEW):
        """The prefix holds exactly `keys` ({subkey: {value name: value}}) below the .NET setup
        key, in the registry view given."""
        remove_net_framework(self.wine)
        if keys:
            reg_import(self.wine, {f"{NET_SETUP_KEY}\\{key}": values for key, values in keys.items()}, view=view)

    def check(self, setting_name, values, installed, detection, required=None):
        """Runs the setup of `setting_name` on the machine `values`; `detection` are the lines
        after the nine setting lines up to the verdict."""
        self.machine(values)
        run, lines = run_silent(self, self.setups[setting_name])
        texts = list(self.settings[setting_name])
        if texts[0] == "0" or texts[1] == "0":
            texts[0:3] = ["-1", "-1", "0"]
        verdict = ".NET Version OK" if installed else f".NET Version Not OK {required}"
        expected = setting_lines(texts) + detection + [verdict]
        self.assertEqual(lines_after(lines, expected[0])[:len(expected)], expected, "\n".join(lines))
        if installed:
            self.assertNotEqual(run.exit_code, NET_FRAMEWORK_MISSING)
            self.assertIn("Run Embedded Resources ", lines)
        else:
            self.assertEqual(run.exit_code, NET_FRAMEWORK_MISSING)
            self.assertNotIn("Free Disk Space", lines, "the later checks are skipped")
            self.assertNotIn("Run Embedded Resources ", lines, "the run stops before the worker")
        return lines

    def test_no_net_at_all(self):
        lines = self.check("shipped", {}, False, [], ".NET (full) 4.0 0")
        self.assertFalse(any("Detected" in line for line in lines))

    def test_40_full_with_servicing_0(self):
        self.check("shipped", net4("Full", "4.0.30319"), True, [".NET 4.0 Full Detected SP 0"])

    def test_client_profile_only(self):
        for minor, installed, detection in ((4, False, []), (5, True, [".NET 4.5 Client Detected SP 5"])):
            with self.subTest(minor=minor):
                self.check("shipped", net4("Client", f"4.{minor}.50709"), installed, detection, ".NET (full) 4.0 0")

    def test_20_alone_with_setting_138_at_0_asks_for_35(self):
        self.check("138 at 0", net20(2), False, [], ".NET 3.5 0")
        self.check("138 at 0", {**net20(2), **net35("3.5.30729.01", 1)}, True, [".NET 3.5 Detected SP 1"])

    def test_setting_142_at_2_counts_the_minor_version(self):
        self.check("142 at 2", net4("Full", "4.0.30319"), False, [".NET 4.0 Full Detected SP 0"], ".NET (full) 4.0 2")
        self.check("142 at 2", net4("Full", "4.5.51209"), True, [".NET 4.0 Full Detected SP 5"])

    def test_only_setting_148_needs_release_461808(self):
        self.check("only 148", net4("Full", "4.7.03062", release=461807), False, [], ".NET (full) 4.7.2 0")
        self.check("only 148", net4("Full", "4.7.03062", release=461808), True, [".NET 4.7.2 Full Detected"])

    @needs_32_bit_programs("which registry view the 32-bit stub reads on 64-bit Windows")
    def test_the_64_bit_view_is_not_read_by_the_32_bit_stub(self):
        self.wine = Wine("win64")
        self.scratch = self.wine.scratch("NetFrameworkStates.view")
        try:
            self.machine(net4("Full", "4.8.04084"), view="64")
            run, lines = run_silent(self, self.setups["shipped"])
            self.assertEqual(run.exit_code, NET_FRAMEWORK_MISSING, "\n".join(lines))
            self.check("shipped", net4("Full", "4.8.04084"), True, [".NET 4.0 Full Detected SP 8"])
        finally:
            remove_net_framework(self.wine, view="64")
            remove_net_framework(self.wine)
            install_net48(self.wine)


if __name__ == "__main__":
    unittest.main()
