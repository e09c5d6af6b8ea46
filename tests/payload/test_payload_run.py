"""A setup file does its whole job under Wine: the payload unpacked byte for byte into a fresh
GUID-named folder under the temp folder, the program started there with the composed command
line, its exit code handed on, the folder removed (or kept, or named by the zero GUID)."""
import os
import re
import unittest
from pathlib import Path

from harness import Wine, WineTestCase, read_payload_report, run_stub, win_program
from payload_setup import (GUID_NAME, ZERO_GUID_NAME, assert_lines_in_order, composed_command_line, fresh_folder,
                           log_lines, make_sample_payload, pack, start_signing, stop_signing, work_folder_from_log)


def setUpModule():
    start_signing([Wine("win32")])


def tearDownModule():
    stop_signing()


class PayloadRun(WineTestCase):
    @classmethod
    def setUpClass(cls):
        wine = Wine("win32")
        cls.shared = wine.scratch("PayloadRun.shared")
        cls.files = make_sample_payload(fresh_folder(cls.shared / "payload"))
        cls.setup = pack(cls.shared / "setup.exe", payload=cls.shared / "payload")

    def run_setup(self, *switches, exit_code=0, base=None, env=None, setup=None):
        """Runs the setup silently with a log; returns (run, log lines, report or None)."""
        base = base or self.scratch / "tmp"
        log = self.scratch / "setup.log"
        report = self.scratch / "report.txt"
        for stale in (log, report):
            if stale.exists():
                stale.unlink()
        payload_env = {"BRENNIX_PAYLOAD_REPORT": self.win(report), "BRENNIX_PAYLOAD_EXIT": str(exit_code)}
        payload_env.update(env or {})
        run = run_stub(setup or self.setup, args=["log", self.win(log), "temp", self.win(base), "/IAgreeToTheEULA", *switches],
                       env=payload_env, wine=self.wine)
        return run, log_lines(log), read_payload_report(report) if report.exists() else None

    def expected_run_lines(self, base: Path, work: str, exit_code: int, removed: bool):
        """The payload's log lines of a successful run, in order; the resource ids are read
        back from the log's own enumeration lines."""
        base_win = self.win(base)
        expected = [
            f"Set temp folder '{base_win}'",
            re.compile(re.escape(f"Successfully created temp file '{base_win}\\") + GUID_NAME + "'"),
            "Enumerate Resources TOOLKIT 65",
            "Enumerate Resources OK ",
        ]
        expected += [re.compile(r"Work Out FileName .*, Bytes \d+"), "WorkOutFileNames 0"]
        return expected, [
            re.compile(re.escape(f'RunProgram program \'"{work}\\Setup.exe" ') + ".*'"),
            "ProgramType 'x86'",
            "Swapping to x86",
            f"RunProgram returned {exit_code}",
            f"Remove folder '{'Yes' if removed else 'No'}'",
        ]

    def assert_descending_extraction(self, lines, work):
        """Every listed file is worked out with its size, then written and reported in the same
        order, from the highest id down."""
        ids = [int(m.group(1), 16) for m in (re.fullmatch(r"Enumerate Resources TOOLKIT ([0-9a-f]+)", l) for l in lines) if m]
        self.assertEqual(ids, sorted(ids), "enumeration runs in ascending id order")
        worked_out = [m.groups() for m in (re.fullmatch(r"Work Out FileName (.*), Bytes (\d+)", l) for l in lines) if m]
        self.assertCountEqual(worked_out, [(name, str(len(data))) for name, data in self.files.items()])
        names = [name for name, _ in worked_out]
        extraction = []
        for name in names:
            extraction += [f"{work}\\{name} written Ok", f"Extract File {name} 0"]
        assert_lines_in_order(self, lines, ["WorkOutFileNames 0", *extraction, re.compile("RunProgram program .*")])

    def test_exit_code_becomes_the_stubs_and_the_folder_goes(self):
        for exit_code in (3010, 0, -2):
            with self.subTest(exit_code=exit_code):
                base = fresh_folder(self.scratch / "tmp")
                run, lines, report = self.run_setup(exit_code=exit_code)

                self.assertEqual(run.signed_exit_code, exit_code)
                self.assertIsNotNone(report, "the program ran")
                work = work_folder_from_log(lines)
                self.assertRegex(work, re.escape(self.win(base) + "\\") + GUID_NAME + "$")
                self.assertEqual(report.cwd, work, "started in the working folder")
                self.assertEqual(report.exe, work + "\\Setup.exe", "the lowest-id candidate, not Setup.exe.config")
                self.assertEqual(report.command_line, f'"{work}\\Setup.exe" ' + composed_command_line(lines))
                self.assertEqual({n: s for n, s in report.files.items()}, {n: len(d) for n, d in self.files.items()})

                first, last = self.expected_run_lines(base, work, exit_code, removed=True)
                assert_lines_in_order(self, lines, first + last)
                assert_lines_in_order(self, lines, ["Set GUID in folder name", f"Set the temp folder to be '{work}'",
                                                    re.compile(".* written Ok")])
                self.assert_descending_extraction(lines, work)
                manual = [f"Manual Deletion of '{work}\\{name}'" for name in self.files]
                assert_lines_in_order(self, lines, ["Remove folder 'Yes'", f"Manual Deletion of '{work}'"])
                for line in manual:
                    self.assertIn(line, lines)
                assert_lines_in_order(self, lines, [
                    f"Deletion Folder of '{work}'",
                    f"Deletion subfolder Folder of '{work}\\sub'",
                    f"Remove Folder '{work}\\sub'",
                    f"Remove Folder '{work}'",
                ])
                self.assertEqual(os.listdir(base), [], "neither the working folder nor a probe file is left")

    def test_keep_leaves_the_files_byte_identical_in_a_new_folder_each_run(self):
        base = fresh_folder(self.scratch / "tmp")
        folders = []
        for _ in range(2):
            run, lines, report = self.run_setup("/keep")
            self.assertEqual(run.exit_code, 0)
            self.assertIn("Remove folder 'No'", lines)
            self.assertFalse(any(line.startswith("Deletion Folder of") for line in lines))
            work = self.wine.unix_path(work_folder_from_log(lines))
            for name, data in self.files.items():
                self.assertEqual(work.joinpath(*name.split("\\")).read_bytes(), data, name)
            folders.append(work.name)
        self.assertNotEqual(folders[0], folders[1])
        self.assertCountEqual(os.listdir(base), folders)

    def test_zeroguid_names_the_folder_with_the_zero_guid_and_reuses_it(self):
        base = fresh_folder(self.scratch / "tmp")
        work = base / ZERO_GUID_NAME
        run, lines, _ = self.run_setup("/zeroguid", "/keep")
        self.assertEqual(run.exit_code, 0)
        self.assertNotIn("Set GUID in folder name", lines)
        self.assertIn(f"Set the temp folder to be '{self.win(work)}'", lines)
        self.assertEqual((work / "data.bin").read_bytes(), self.files["data.bin"])

        # Left from the earlier run: a damaged payload file and a stray one.
        (work / "data.bin").write_bytes(b"damaged")
        (work / "stray.txt").write_bytes(b"left over")
        run, lines, report = self.run_setup("/zeroguid")
        self.assertEqual(run.exit_code, 0)
        self.assertEqual(report.cwd, self.win(work))
        self.assertEqual(report.files["data.bin"], len(self.files["data.bin"]), "replaced")
        self.assertEqual(report.files["stray.txt"], len(b"left over"), "the folder was reused")
        self.assertIn(f"Deletion file '{self.win(work)}\\stray.txt'", lines)
        self.assertFalse(work.exists())

    def test_log_is_closed_while_the_installer_runs_and_appended_to_after(self):
        # The test program opens the log file without sharing, as an installer writing to the
        # log path it was handed; that only works while the stub has the file closed.
        log = self.scratch / "setup.log"
        run, lines, _ = self.run_setup(env={"BRENNIX_PAYLOAD_APPEND": self.win(log)})
        self.assertEqual(run.exit_code, 0)
        self.assertIn("append\tok", (self.scratch / "report.txt").read_text(encoding="utf-8"))
        assert_lines_in_order(self, lines, [re.compile("RunProgram program .*"), "payload was here",
                                            "RunProgram returned 0", "Remove folder 'Yes'"])
        self.assertEqual(lines.count("payload was here"), 1)

    def test_program_is_the_named_candidate_with_the_lowest_id_in_a_path_with_blanks(self):
        shared = fresh_folder(self.scratch / "ids")
        readme = shared / "readme.txt"
        readme.write_bytes(b"readme\r\n")
        program = win_program("payload")
        setup = pack(shared / "setup.exe",
                     files=[(120, "a-first.exe", program), (110, "b-second.exe", program), (105, "readme.txt", readme)])
        base = fresh_folder(self.scratch / "temp with blanks")
        run, lines, report = self.run_setup(base=base, setup=setup, exit_code=7)
        self.assertEqual(run.exit_code, 7)
        work = work_folder_from_log(lines)
        self.assertEqual(report.exe, work + "\\b-second.exe")
        self.assertEqual(report.args[0], work + "\\b-second.exe", "the quoted path stays one argument")
        self.assertEqual(report.command_line, f'"{work}\\b-second.exe" ' + composed_command_line(lines))
        self.assertEqual(sorted(report.files), ["a-first.exe", "b-second.exe", "readme.txt"])


if __name__ == "__main__":
    unittest.main()
