"""The stub's run from start to exit code, driven from its command line (under Wine).

Runs that must get past the stub's check of its own signature and unpack a payload use the
test run's signed sample setup file.
"""
import unittest

from harness import WineTestCase, read_log, run_stub, sample_setup

INVALID_PARAMETER = 0x80030057


def command_lines(log: str) -> list:
    """The installer command lines the log reports, one per pass of the option parsing."""
    prefix = "Command line params "
    return [line[len(prefix):] for line in log.split("\n") if line.startswith(prefix)]


class StartAndExit(WineTestCase):
    def test_silent_run_with_a_log_folder_logs_both_passes_in_order(self):
        folder = self.scratch / "some" / "dir"
        folder.mkdir(parents=True)
        run = run_stub(sample_setup(), args=["log", self.win(folder), "/IAgreeToTheEULA", "/keep"])
        self.assertEqual(run.exit_code, 0)
        log_path = folder / "CVInstall.log"
        lines = read_log(log_path).split("\n")
        log_win = self.win(log_path)
        self.assertEqual(lines[:4], [
            f'Command line params /log "{log_win}" /IAgreeToTheEULA CV_I="" ',
            "Temp folder 'C:\\users\\root\\Temp\\'",
            "Zero Guid 'NotSet'",
            "Keep 'Set'",
        ])
        self.assertRegex(lines[4], r"^Started \d+$")
        # The signature check and the prerequisite checks log in between.
        worker = lines.index("Run Embedded Resources ")
        self.assertEqual(lines[worker + 1:worker + 5], [
            f'Command line params /log "{log_win}" /IAgreeToTheEULA CV_I="Corvane Installer" ',
            "Temp folder 'C:\\users\\root\\Temp\\'",
            "Zero Guid 'NotSet'",
            "Keep 'Set'",
        ])
        self.assertLess(worker + 4, lines.index("Remove folder 'No'"))
        self.assertRegex(lines[-2], r"^Ended \d+$")
        self.assertEqual(lines[-1], "")  # the last line ends in CR LF too

    def test_without_a_log_option_no_file_is_written(self):
        run = run_stub(sample_setup(), args=["/IAgreeToTheEULA"], cwd=self.win(self.scratch))
        self.assertEqual(run.exit_code, 0)
        self.assertEqual(list(self.scratch.iterdir()), [])

    def test_help_ends_with_zero_and_starts_no_worker(self):
        run = run_stub(args=["/?", "log", self.win(self.scratch)])
        self.assertEqual(run.exit_code, 0)
        log = read_log(self.scratch / "CVInstall.log")
        self.assertTrue(log.startswith("Ask for help\nAsk for help\nCommand line params /? "), log)
        self.assertNotIn("Started", log)
        self.assertNotIn("Run Embedded Resources", log)
        self.assertRegex(log, r"\nEnded \d+\n$")

    def test_help_as_a_bare_word_wins_over_a_misused_switch(self):
        run = run_stub(args=["?", "/temp", "/IAgreeToTheEULA"])
        self.assertEqual(run.exit_code, 0)

    def test_a_value_keyword_written_as_a_switch_ends_the_run_with_invalid_parameter(self):
        run = run_stub(args=["/temp", "C:\\x", "/IAgreeToTheEULA", "log", "L"], cwd=self.win(self.scratch))
        self.assertEqual(run.exit_code, INVALID_PARAMETER)
        log = read_log(self.scratch / "L")
        self.assertEqual(command_lines(log), ['/temp C:\\x /IAgreeToTheEULA /log "%s" CV_I="" ' % self.win(self.scratch / "L")])
        self.assertNotIn("Started", log)
        self.assertNotIn("Run Embedded Resources", log)
        # The report (log only in a silent run) quotes the command line it could not use.
        self.assertIn("Command line '/temp C:\\x /IAgreeToTheEULA log L' incorrect.\n", log)

    def test_a_path_too_long_to_make_absolute_ends_the_run_and_names_its_option(self):
        too_long = "C:\\" + "x" * 300
        for option in ("temp", "extract"):
            with self.subTest(option=option):
                log_path = self.scratch / f"{option}.log"
                run = run_stub(args=[option, too_long, "/IAgreeToTheEULA", "log", self.win(log_path)])
                self.assertEqual(run.exit_code, INVALID_PARAMETER)
                log = read_log(log_path)
                self.assertIn(f"Path of option '{option}' cannot be made absolute: '{too_long}'\n", log)
                self.assertNotIn("Run Embedded Resources", log)

    def test_a_log_path_too_long_ends_the_run_without_a_file(self):
        too_long = self.win(self.scratch) + "\\" + "x" * 300
        run = run_stub(args=["log", too_long, "/IAgreeToTheEULA"])
        self.assertEqual(run.exit_code, INVALID_PARAMETER)
        self.assertEqual(list(self.scratch.iterdir()), [])


class ReportRule(WineTestCase):
    """How a real run ends after the installer: a negative exit code is reported (in a silent
    run, as the log's last message), any other is handed on without a report; 1613 is reported
    only when the engine check gives it (tests/checks/test_msi_engine.py), not when the
    installer ends with it."""
    APPLICATION_NAME = "Lumetra Installer"

    def test_installer_exit_codes(self):
        cases = {
            "3010": (3010, None),
            "1613": (1613, None),
            "-2": (0xFFFFFFFE, f"{self.APPLICATION_NAME} failed with exit code 0xfffffffe."),
            # Not the temp-folder text of E_FAIL: the worker itself succeeded.
            "0x80004005": (0x80004005, f"{self.APPLICATION_NAME} failed with exit code 0x80004005."),
        }
        for exit_code, (expected_code, report) in cases.items():
            with self.subTest(exit_code=exit_code):
                log_path = self.scratch / f"{exit_code}.log"
                run = run_stub(sample_setup(), args=["log", self.win(log_path), "/IAgreeToTheEULA"],
                               env={"BRENNIX_PAYLOAD_EXIT": exit_code})
                self.assertEqual(run.exit_code, expected_code)
                lines = read_log(log_path).split("\n")
                returned = lines.index(f"RunProgram returned {run.signed_exit_code}")
                ended = next(i for i, line in enumerate(lines) if line.startswith("Ended "))
                after_worker = lines[lines.index("Remove folder 'Yes'", returned):ended]
                if report is None:
                    self.assertFalse(any("failed" in line or "Failed to run" in line for line in after_worker),
                                     after_worker)
                else:
                    self.assertEqual(lines[ended - 1], report, "the report is the run's last word")


if __name__ == "__main__":
    unittest.main()
