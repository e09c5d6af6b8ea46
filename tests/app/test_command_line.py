"""Raw command lines as a user or script types them, split by the stub's C runtime (under Wine).

The launcher starts the (signed) stub with the text exactly as written here; the log's second
"Command line params" line is what the installer would get.
"""
import unittest

from harness import WineTestCase, read_log, run_stub, signed_stub


def installer_command_line(log: str) -> str:
    """The command line of the second option pass, the one handed to the installer."""
    prefix = "Command line params "
    lines = [line[len(prefix):] for line in log.split("\n") if line.startswith(prefix)]
    if len(lines) != 2:
        raise AssertionError(f"expected two option passes in the log:\n{log}")
    return lines[1]


class RawCommandLines(WineTestCase):
    def run_raw(self, cmdline: str, cwd=None):
        log_path = self.scratch / "run.log"
        run = run_stub(signed_stub(), cmdline=f'{cmdline} /IAgreeToTheEULA log "{self.win(log_path)}"', cwd=cwd)
        self.assertEqual(run.exit_code, 0)
        return read_log(log_path)

    def test_cfu_property_with_escaped_quotes_reaches_the_installer_as_one_word(self):
        log = self.run_raw(r'CFU=\"two words\"')
        self.assertTrue(installer_command_line(log).startswith('CFU="two words" /IAgreeToTheEULA '), log)

    def test_temp_folder_with_a_trailing_backslash(self):
        work = self.scratch / "Work"
        work.mkdir()
        folder = self.win(work) + "\\"
        log = self.run_raw(f"temp {folder}")
        self.assertTrue(installer_command_line(log).startswith(f'/temp "{folder}\\" '), log)
        self.assertIn(f"Temp folder '{folder}'\n", log)

    def test_log_in_capitals_is_passed_on_but_not_acted_on(self):
        elsewhere = self.scratch / "elsewhere.log"
        log = self.run_raw(f"LOG {self.win(elsewhere)}")
        self.assertTrue(installer_command_line(log).startswith(f'/LOG "{self.win(elsewhere)}" '), log)
        self.assertFalse(elsewhere.exists())

    def test_dontrun_in_another_case_is_passed_on(self):
        log = self.run_raw("/DontRun")
        self.assertTrue(installer_command_line(log).startswith("/DontRun "), log)

    def test_stub_switches_are_not_passed_on(self):
        log = self.run_raw("/dontrun /zeroguid /keep")
        self.assertEqual(installer_command_line(log), '/IAgreeToTheEULA /log "%s" CV_I="Corvane Installer" '
                         % self.win(self.scratch / "run.log"))
        self.assertIn("Zero Guid 'Set'\nKeep 'Set'\n", log)

    def test_log_as_the_last_argument_writes_at_the_root_of_the_current_drive(self):
        root_log = self.wine.drive_c / "CVInstall.log"
        root_log.unlink(missing_ok=True)
        self.addCleanup(root_log.unlink, missing_ok=True)
        run = run_stub(signed_stub(), cmdline="/IAgreeToTheEULA log", cwd=self.win(self.scratch))
        self.assertEqual(run.exit_code, 0)
        log = read_log(root_log)
        self.assertEqual(installer_command_line(log), '/IAgreeToTheEULA /log "C:\\CVInstall.log" CV_I="Corvane Installer" ')


if __name__ == "__main__":
    unittest.main()
