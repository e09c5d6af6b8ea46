"""What the user sees of the stub's dialogs, driven as a user would: keys and clicks on the
test run's X display, checked in screenshots kept in build/native/artifacts/.

Where a whole run of the stub cannot reach a dialog yet, ui_probe.exe runs the stub's own
dialog and report code directly (see tests/ui/ui_probe.cpp)."""
import os
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Wine, WineTestCase, read_log, sample_setup, win_program  # noqa: E402
from gui_state import GuiTestCase, settle  # noqa: E402
from signature_setups import APPLICATION_NAME, pack_setup  # noqa: E402
from desktop import (SPLASH_PROGRESS_BAR, Background, BellWatch, Desktop, Pixels, Rect, SplashPicture,  # noqa: E402
                     StubRun, artwork, bitmap_mean)

CAPTION = "Lumetra Installer"
ABOUT_CAPTION = "About Lumetra Installer"
BLUE = (0, 0, 255)
PURPLE = (128, 0, 128)
NET40_MESSAGE = ("Lumetra Installer requires .NET (full) 4.0. "
                 "Please download from the Microsoft Download Center and retry.")
NET40_PAGE = "http://www.microsoft.com/en-us/download/details.aspx?id=17718"


def setUpModule():
    """The first window of a fresh prefix takes long (Wine builds its font cache then): open
    and close one dialog before the tests start measuring."""
    wine = Wine("win32")
    desktop = Desktop(wine)
    settle(wine)
    result = wine.scratch("warm-up") / "result.txt"
    run = Background(wine, win_program("ui_probe"), ["dialog", "notice", f"--result={wine.win_path(result)}"],
                     timeout=240)
    try:
        desktop.wait_window(CAPTION, timeout=200)
        desktop.key("Escape")
        run.finish(timeout=60)
    finally:
        run.stop()
        settle(wine)


def close_to(colour, other, tolerance=24):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, other))


class DialogTestCase(GuiTestCase):
    def setUp(self):
        super().setUp()
        self.desktop = Desktop(self.wine)
        self.runs = []
        leftovers = [title or "(splash)" for visible, cls, _, title in self.desktop.top_levels()
                     if visible and (title in (CAPTION, ABOUT_CAPTION) or (cls == "#32770" and not title))]
        self.assertEqual(leftovers, [], "windows of an earlier run are still open")

    def tearDown(self):
        for run in self.runs:
            run.stop()

    def probe(self, *args, timeout=90) -> Background:
        run = Background(self.wine, win_program("ui_probe"), args, timeout=timeout)
        self.runs.append(run)
        return run

    def dialog(self, mode, *args):
        """The message dialog run by ui_probe; returns (run, result file)."""
        result = self.scratch / "result.txt"
        return self.probe("dialog", mode, f"--result={self.win(result)}", *args), result

    def answer(self, result: Path):
        lines = dict(line.split(" ", 1) for line in result.read_text().splitlines())
        return int(lines["result"]), lines

    def visible_splashes(self):
        return [rect for visible, rect in self.desktop.untitled_dialogs() if visible]

    def wait_splash(self, shown: bool, timeout=15):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if bool(self.visible_splashes()) == shown:
                return
            time.sleep(0.2)
        raise AssertionError(f"splash {'not shown' if shown else 'still shown'} after {timeout} s")

    def signal(self, tag, step):
        """Moves the stand-in worker of a probe's splash on (ui_probe splash)."""
        self.desktop._probe("signal", f"{tag}.{step}")

    def assert_shows_splash_picture(self, shot, splash: Rect, except_rect: Rect = None) -> SplashPicture:
        """The splash window `splash` shows the artwork pixel for pixel (but for `except_rect`)."""
        picture = SplashPicture(shot, splash)
        differences = picture.differences(except_rect)
        self.assertEqual(len(differences), 0, f"the splash differs from its picture at {differences[:12]}")
        return picture

    def face_colour(self, shot, window):
        """The dialog's background, read in an empty corner of its client area."""
        return Pixels(shot, Rect(window.client.left + 2, window.client.bottom - 6,
                                 window.client.left + 6, window.client.bottom - 2)).rows[0][0]


class NoticeDialog(DialogTestCase):
    def test_report_shows_caption_banner_bold_heading_message_link_and_cancel_only(self):
        log = self.scratch / "report.log"
        run = self.probe("report", "--code=0x80110409", "--net=4.0.0", f"--log={self.win(log)}")
        window = self.desktop.wait_window(CAPTION)
        self.desktop.wait_settled()
        shot = self.desktop.screenshot("notice_net_missing")

        self.assertFalse(window.control(1).visible)
        self.assertTrue(window.control(2).visible)
        self.assertEqual(window.control(2).text, "Cancel")
        self.assertEqual(window.control(1003).text, "Error")
        self.assertEqual(window.control(1000).text, NET40_MESSAGE)
        self.assertEqual(window.control(1001).text, NET40_PAGE)

        banner = window.pictures()[0].rect
        inside = Rect(banner.left + 2, banner.top + 2, banner.right - 2, banner.bottom - 2)
        self.assertTrue(close_to(Pixels(shot, inside).mean(), bitmap_mean(artwork("banner.bmp"))),
                        "the banner picture is not what the top of the dialog shows")

        face = self.face_colour(shot, window)
        heading = Pixels(shot, window.control(1003).rect)
        box = heading.ink_box(face)
        self.assertIsNotNone(box, "no heading text drawn")
        # Bold strokes are two pixels wide where the dialog's own font draws one.
        message = Pixels(shot, window.control(1000).rect)
        self.assertGreater(heading.dark_count() / len("Error"), 1.5 * message.dark_count() / len(NET40_MESSAGE),
                           "heading strokes no heavier than the message's: not bold")

        link = Pixels(shot, window.control(1001).rect)
        self.assertGreater(link.count(BLUE), 30, "link text not blue and underlined")
        self.assertEqual(link.count(PURPLE), 0)

        self.desktop.key("Escape")
        self.assertEqual(run.finish(), 0)
        self.assertEqual(read_log(log), NET40_MESSAGE + "\n")

    def test_close_box_ends_the_report(self):
        run = self.probe("report", "--code=0x800B0100")
        window = self.desktop.wait_window(CAPTION)
        self.assertEqual(window.control(1000).text, "Failed to run Lumetra Installer error 0x800b0100.")
        self.assertEqual(window.control(1001).text, "")
        self.desktop.screenshot("notice_signature_refused")
        self.desktop.click(*window.close_box)
        self.assertEqual(run.finish(), 0)
        self.desktop.wait_gone(CAPTION)

    def test_silent_report_goes_to_the_log_only(self):
        log = self.scratch / "silent.log"
        run = self.probe("report", "--silent", "--code=0x80030057", "--tail=/temp C:\\x", f"--log={self.win(log)}",
                         timeout=30)
        # A dialog would wait for the user until the time limit kills the program.
        self.assertEqual(run.finish(), 0)
        self.assertNotIn(CAPTION, self.desktop.titles())
        self.assertEqual(read_log(log), "Command line '/temp C:\\x' incorrect.\nValid switches include:- \n"
                                        "\t extract [path] log [path] temp [path]\nExample\n"
                                        "\t log c:\\log.txt /IAgreeToTheEULA\n")


class QuestionDialog(DialogTestCase):
    HEADING = "Verification of Lumetra Installer failed. Do you wish to continue?"

    def ask(self):
        run, result = self.dialog("question", f"--heading={self.HEADING}", "--message=The file is not signed.")
        return run, result, self.desktop.wait_window(CAPTION)

    def test_yes_answers_one(self):
        run, result, window = self.ask()
        self.desktop.wait_settled()
        self.desktop.screenshot("question")
        self.assertEqual((window.control(1).text, window.control(1).visible), ("Yes", True))
        self.assertEqual((window.control(2).text, window.control(2).visible), ("No", True))
        self.assertEqual(window.control(1003).text, self.HEADING)
        self.desktop.click(*window.control(1).rect.center)
        self.assertEqual(run.finish(), 0)
        answer, facts = self.answer(result)
        self.assertEqual(answer, 1)
        # The dialog was the application's main window: its end posts the quit message.
        self.assertEqual(facts["quit-posted"], "1")
        self.assertEqual(facts["main-window-cleared"], "1")

    def test_no_escape_and_close_box_answer_two(self):
        for way in ("No", "Escape", "close box"):
            with self.subTest(way=way):
                run, result, window = self.ask()
                if way == "No":
                    self.desktop.click(*window.control(2).rect.center)
                elif way == "Escape":
                    self.desktop.key("Escape")
                else:
                    self.desktop.click(*window.close_box)
                self.assertEqual(run.finish(), 0)
                self.assertEqual(self.answer(result)[0], 2)
                self.desktop.wait_gone(CAPTION)


class FakeBrowser:
    """The stand-in browser registered for http and https in the test prefix."""

    def __init__(self, case: WineTestCase):
        self.case = case
        self.folder = case.scratch / "browser"
        self.folder.mkdir()
        exe = self.folder / "url_recorder.exe"
        exe.write_bytes(win_program("url_recorder").read_bytes())
        self.saved = {}
        for scheme in ("http", "https"):
            key = f"HKCR\\{scheme}\\shell\\open\\command"
            self.saved[key] = self._query(key)
            self._set(key, f'"{case.win(exe)}" "%1"')

    def _query(self, key):
        output = self.case.wine.run("reg", ["query", key, "/ve"]).stdout.decode("utf-8", "replace")
        for line in output.splitlines():
            if "REG_SZ" in line:
                return line.split("REG_SZ", 1)[1].strip()
        return None

    def _set(self, key, value):
        self.case.wine.run("reg", ["add", key, "/ve", "/d", value, "/f"])

    def restore(self):
        for key, value in self.saved.items():
            if value is not None:
                self._set(key, value)

    def opened(self, expected_count=None, timeout=10):
        """The addresses opened so far, once expected_count are there or the time is up; with
        no count, after the whole time, so that an address opened late is seen as well."""
        record = self.folder / "opened.txt"
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if expected_count and record.exists() and len(record.read_text().splitlines()) >= expected_count:
                break
            time.sleep(0.2)
        return record.read_text().splitlines() if record.exists() else []


class LinkControl(DialogTestCase):
    TARGET = "http://example.com/help?id=7"

    def setUp(self):
        super().setUp()
        self.browser = FakeBrowser(self)

    def tearDown(self):
        super().tearDown()
        self.browser.restore()

    def link_pixels(self, name, window):
        return Pixels(self.desktop.screenshot(name), window.control(1001).rect)

    def test_click_opens_the_target_and_turns_purple(self):
        run, result = self.dialog("notice", f"--link={self.TARGET}")
        window = self.desktop.wait_window(CAPTION)
        self.desktop.wait_settled()
        before = self.link_pixels("link_before_click", window)
        self.assertGreater(before.count(BLUE), 30)
        self.assertEqual(before.count(PURPLE), 0)

        link = window.control(1001).rect
        self.desktop.click(link.left + 20, link.top + link.height // 2)
        self.assertEqual(self.browser.opened(1), [self.TARGET])
        self.desktop.wait_settled()
        after = self.link_pixels("link_after_click", window)
        self.assertGreater(after.count(PURPLE), 30)
        self.assertEqual(after.count(BLUE), 0)

        # Again: the same target, and it stays purple.
        self.desktop.click(link.left + 20, link.top + link.height // 2)
        self.assertEqual(self.browser.opened(2), [self.TARGET, self.TARGET])
        self.desktop.key("Escape")
        self.assertEqual(run.finish(), 0)

    def test_space_bar_with_focus_opens_and_the_focus_frame_is_drawn_and_erased(self):
        run, result = self.dialog("notice", f"--link={self.TARGET}", "--focus-link")
        window = self.desktop.wait_window(CAPTION)
        self.desktop.wait_settled(1.5)
        link = window.control(1001).rect
        shot = self.desktop.screenshot("link_focused")
        face = self.face_colour(shot, window)
        # The frame runs one pixel outside the text's box, so its top edge lies just above the control.
        frame_row = Rect(link.left - 1, link.top - 1, link.left + 60, link.top)
        self.assertTrue(any(pixel != face for pixel in Pixels(shot, frame_row).rows[0]), "no focus frame")

        self.desktop.key("x")
        self.assertEqual(self.browser.opened(timeout=3), [], "a key other than the space bar opened the link")
        self.desktop.key("space")
        self.assertEqual(self.browser.opened(1), [self.TARGET])

        self.desktop.key("Tab")
        self.desktop.wait_settled()
        shot = self.desktop.screenshot("link_focus_left")
        self.assertTrue(all(pixel == face for pixel in Pixels(shot, frame_row).rows[0]), "focus frame left behind")
        self.assertEqual(self.browser.opened(timeout=2), [self.TARGET], "opened once, by the space bar only")
        self.desktop.key("Escape")
        self.assertEqual(run.finish(), 0)

    def test_empty_or_unopenable_link_beeps_and_stays_blue(self):
        for link_text in ("", "nosuchscheme-brennix:thing"):
            with self.subTest(link=link_text):
                bells = BellWatch(self.wine)
                run, result = self.dialog("notice", f"--link={link_text}")
                window = self.desktop.wait_window(CAPTION)
                self.desktop.wait_settled()
                link = window.control(1001).rect
                # Anywhere in the link's rectangle, not only on its text.
                self.desktop.click(link.right - 10, link.top + link.height // 2)
                self.desktop.wait_settled(1.0)
                self.assertEqual(bells.bells(), 1)
                self.assertEqual(self.browser.opened(timeout=3), [])
                pixels = self.link_pixels("link_unopenable" if link_text else "link_empty", window)
                self.assertEqual(pixels.count(PURPLE), 0)
                if link_text:
                    self.assertGreater(pixels.count(BLUE), 30)
                self.assertIn(CAPTION, self.desktop.titles())
                self.desktop.key("Escape")
                self.assertEqual(run.finish(), 0)


class AboutBox(DialogTestCase):
    def open_from_system_menu(self):
        self.desktop.key("alt+space")
        self.desktop.wait_settled(0.4)
        # Ours is the menu's last item.
        self.desktop.key("Up", "Return")
        return self.desktop.wait_window(ABOUT_CAPTION)

    def test_about_box_from_the_system_menu_twice_while_the_question_waits(self):
        run, result = self.dialog("question", "--message=Not signed.")
        self.desktop.wait_window(CAPTION)

        about = self.open_from_system_menu()
        self.desktop.wait_settled()
        shot = self.desktop.screenshot("about_box")
        self.assertEqual(about.control(1001).text, "Lumetra Installer Version 2.3.5.2690")
        self.assertEqual(about.control(1002).text, "Copyright \u00a9 2026 Corvane. All rights reserved.")
        self.assertFalse(self.desktop.window(CAPTION).enabled, "the question stays usable under the About box")
        icon = about.pictures()[0].rect
        face = self.face_colour(shot, about)
        icon_pixels = Pixels(shot, Rect(icon.left, icon.top, icon.left + 32, icon.top + 32))
        drawn = sum(1 for row in icon_pixels.rows for pixel in row if pixel != face)
        self.assertGreater(drawn, 32 * 32 // 2, "no application icon in the About box")
        self.desktop.key("Escape")
        self.desktop.wait_gone(ABOUT_CAPTION)
        self.assertTrue(self.desktop.window(CAPTION).enabled)

        # Any command from 16 to 31 is the About item; 32 is not.
        self.desktop._probe("post", CAPTION, str(0x0112), str(0x1F))
        about = self.desktop.wait_window(ABOUT_CAPTION)
        self.desktop.click(*about.control(1).rect.center)
        self.desktop.wait_gone(ABOUT_CAPTION)
        self.desktop._probe("post", CAPTION, str(0x0112), str(0x20))
        self.desktop.wait_settled(1.0)
        self.assertNotIn(ABOUT_CAPTION, self.desktop.titles())

        about = self.open_from_system_menu()
        self.desktop.key("Return")
        self.desktop.wait_gone(ABOUT_CAPTION)
        self.assertTrue(run.running(), "closing the About box ended the question")
        window = self.desktop.window(CAPTION)
        self.desktop.click(*window.control(1).rect.center)
        self.assertEqual(run.finish(), 0)
        self.assertEqual(self.answer(result)[0], 1)


class SplashWindow(DialogTestCase):
    def test_shown_hidden_for_a_prompt_back_after_it_and_ended_by_the_installer_window(self):
        tag = f"brennix-splash-{os.getpid()}-{time.monotonic_ns()}"
        run = self.probe("splash", f"--tag={tag}")
        self.wait_splash(True)
        self.desktop.wait_settled()
        shot = self.desktop.screenshot("splash")
        self.assertIsNone(self.assert_shows_splash_picture(shot, self.visible_splashes()[0]).progress())

        self.signal(tag, "prompt")
        self.wait_splash(False)
        self.signal(tag, "prompt-closed")
        self.wait_splash(True)
        self.signal(tag, "installer-window")
        self.wait_splash(False)
        time.sleep(1.0)
        self.assertEqual(self.visible_splashes(), [])
        self.assertTrue(run.running(), "the wait ended before the worker was done")
        self.signal(tag, "done")
        self.assertEqual(run.finish(), 0)

    def test_never_shown_in_a_silent_run(self):
        tag = f"brennix-splash-silent-{os.getpid()}-{time.monotonic_ns()}"
        run = self.probe("splash", "--silent", f"--tag={tag}", f"--unpack-bytes={1 << 30}", "--unpack-ms=3000")
        end = time.monotonic() + 2.5
        while time.monotonic() < end:
            self.assertEqual(self.visible_splashes(), [])
            time.sleep(0.2)
        for step in ("prompt", "prompt-closed"):
            self.signal(tag, step)
            time.sleep(0.5)
            self.assertEqual(self.visible_splashes(), [])
        # Nor while a long unpacking reports its progress.
        end = time.monotonic() + 3.5
        while time.monotonic() < end:
            self.assertEqual(self.visible_splashes(), [])
            time.sleep(0.2)
        self.signal(tag, "installer-window")
        self.signal(tag, "done")
        self.assertEqual(run.finish(), 0)

    def test_never_shown_in_a_silent_run_of_a_setup_file(self):
        # The installer keeps a hidden window for a while: a splash, once up, would stay up.
        log = self.scratch / "silent.log"
        run = StubRun(self.wine, ["/IAgreeToTheEULA", "log", self.win(log)], setup_exe=sample_setup(),
                      env={"BRENNIX_PAYLOAD_WINDOW": "hidden", "BRENNIX_PAYLOAD_LINGER": "4000"})
        self.runs.append(run)
        shown = []
        while run.running():
            shown += self.visible_splashes()
        self.assertEqual(run.exit_code(), 0)
        self.assertEqual(shown, [], "a silent run showed its splash")
        self.assertIn("\nRunProgram returned 0\n", read_log(log), "the installer ran while the screen was watched")


class SplashProgress(DialogTestCase):
    """The unpacking's progress on the splash, reported by a stand-in worker through the real
    reporter and wait loop."""

    def start_unpacking(self, total: int, milliseconds: int):
        """Starts the splash; the stand-in begins to unpack once its (unused) prompt has closed.
        Returns the run, its tag and when the unpacking began."""
        tag = f"brennix-splash-progress-{os.getpid()}-{time.monotonic_ns()}"
        run = self.probe("splash", f"--tag={tag}", f"--unpack-bytes={total}", f"--unpack-ms={milliseconds}")
        self.wait_splash(True)
        self.signal(tag, "prompt")
        self.wait_splash(False)
        self.signal(tag, "prompt-closed")
        began = time.monotonic()
        self.wait_splash(True)
        return run, tag, began

    def shot_at(self, name: str, moment: float) -> SplashPicture:
        time.sleep(max(0.0, moment - time.monotonic()))
        shot = self.desktop.screenshot(name)
        splash = self.visible_splashes()
        self.assertTrue(splash, "the splash went away while unpacking")
        return self.assert_shows_splash_picture(shot, splash[0], except_rect=SPLASH_PROGRESS_BAR)

    def finish(self, run, tag):
        self.signal(tag, "installer-window")
        self.wait_splash(False)
        self.signal(tag, "done")
        self.assertEqual(run.finish(), 0)

    def test_shown_part_way_through_a_long_unpacking_and_growing(self):
        run, tag, began = self.start_unpacking(1 << 30, 8000)
        early = self.shot_at("splash_progress_early", began + 2.5).progress()
        self.assertIsNotNone(early, "no progress bar after 2.5 s of unpacking")
        self.assertTrue(0.0 < early < 1.0, early)
        later = self.shot_at("splash_progress_later", began + 5.0).progress()
        self.assertIsNotNone(later)
        self.assertGreater(later, early, "the bar did not move on")
        self.assertEqual(self.shot_at("splash_progress_done", began + 9.5).progress(), 1.0)
        self.finish(run, tag)

    def test_not_shown_for_a_short_unpacking(self):
        run, tag, began = self.start_unpacking(64 << 10, 0)
        time.sleep(max(0.0, began + 1.5 - time.monotonic()))
        shot = self.desktop.screenshot("splash_short_unpacking")
        picture = self.assert_shows_splash_picture(shot, self.visible_splashes()[0])
        self.assertIsNone(picture.progress())
        self.finish(run, tag)


class WholeRun(DialogTestCase):
    """Interactive runs of a setup file packed with the test payload as its program. The file
    is unsigned, so each run first asks about its signature; Yes goes on."""
    PAYLOAD_TITLE = "Brennix test payload"

    @classmethod
    def setUpClass(cls):
        shared = Wine("win32").scratch("WholeRun.shared")
        cls.setup_exe = pack_setup(shared / "setup.exe", shared / "payload")

    def start(self, args=(), **payload_env):
        run = StubRun(self.wine, args, env={f"BRENNIX_PAYLOAD_{k.upper()}": v for k, v in payload_env.items()},
                      setup_exe=self.setup_exe)
        self.runs.append(run)
        question = self.desktop.wait_window(APPLICATION_NAME)
        self.assertEqual(question.control(1).text, "Yes", "the unsigned file was not questioned")
        self.desktop.click(*question.control(1).rect.center)
        return run

    def test_splash_shown_until_the_installer_shows_its_window(self):
        run = self.start(window="visible:4000", linger="4000")
        end = time.monotonic() + 3
        splash = []
        while not splash and time.monotonic() < end:
            splash = [rect for visible, rect in self.desktop.untitled_dialogs() if visible]
        self.assertTrue(splash, "no splash while the installer starts")
        self.desktop.wait_settled(0.3)
        shot = self.desktop.screenshot("run_splash")
        # The test payload is small: its unpacking shows no progress.
        self.assertIsNone(self.assert_shows_splash_picture(shot, splash[0]).progress())

        self.desktop.wait_window(self.PAYLOAD_TITLE, timeout=20)
        self.desktop.wait_settled(1.0)
        self.desktop.screenshot("run_installer_window")
        self.assertEqual([rect for visible, rect in self.desktop.untitled_dialogs() if visible], [],
                         "the splash stayed over the installer's window")
        self.assertTrue(run.running(), "the installer was not waited for")
        self.assertEqual(run.exit_code(), 0)

    def answer_drive_prompt(self, payload_delay_ms: int):
        """Starts a run whose temp folder cannot be written; checks that no splash is up while the
        drive prompt asks for another folder, then answers it with a writable one."""
        missing = self.scratch / "missing" / "folder"
        run = self.start(["temp", self.win(missing)], window=f"visible:{payload_delay_ms}", linger="1000")
        prompt = None
        end = time.monotonic() + 30
        while prompt is None and time.monotonic() < end:
            window = self.desktop.window(APPLICATION_NAME)
            if window is not None and any(c.id == 1005 for c in window.controls):
                prompt = window
        self.assertIsNotNone(prompt, "the unwritable temp folder brought no drive prompt")
        self.desktop.wait_settled(1.0)
        self.desktop.screenshot("run_drive_prompt")
        self.assertEqual(self.visible_splashes(), [], "the splash stays up over the drive prompt")
        # The old path is selected: typing replaces it.
        self.desktop.xdotool("type", "--delay", "40", self.win(self.scratch))
        self.desktop.key("Return")
        return run

    def test_splash_hidden_while_the_drive_prompt_is_open(self):
        run = self.answer_drive_prompt(payload_delay_ms=2000)
        self.desktop.wait_window(self.PAYLOAD_TITLE, timeout=20)
        self.assertEqual(run.exit_code(), 0)

    def test_splash_back_after_the_drive_prompt(self):
        run = self.answer_drive_prompt(payload_delay_ms=8000)
        end = time.monotonic() + 6
        splash = []
        while not splash and time.monotonic() < end:
            splash = self.visible_splashes()
        self.assertTrue(splash, "the splash did not come back after the prompt")
        self.assertEqual(run.exit_code(), 0)

    def test_installer_runtime_failure_is_reported_with_the_download_page(self):
        run = self.start(exit=str(-0x7FECE900))  # 0x80131700
        report = self.desktop.wait_window(APPLICATION_NAME)
        self.desktop.wait_settled()
        self.desktop.screenshot("run_runtime_failure")
        message = report.control(1000).text
        self.assertTrue(message.startswith(f"{APPLICATION_NAME} requires "), message)
        self.assertTrue(message.endswith("Please download from the Microsoft Download Center and retry."
                                         "\r\n(.NET 4 was detected.)"), message)
        self.assertRegex(report.control(1001).text, r"^https?://(www|dotnet)\.microsoft\.com/")
        self.assertFalse(report.control(1).visible)
        self.desktop.key("Escape")
        self.assertEqual(run.exit_code(), 0x80131700)


class CommandLineReport(DialogTestCase):
    """The stub itself reporting a value keyword written as a switch."""
    ARGS = ["/temp", "C:\\x"]
    USAGE = ("Command line '/temp C:\\x' incorrect.\nValid switches include:- \n\t extract [path] log [path] temp [path]\n"
             "Example\n\t log c:\\log.txt /IAgreeToTheEULA")

    def test_report_and_escape(self):
        run = StubRun(self.wine, self.ARGS)
        self.runs.append(run)
        window = self.desktop.wait_window(CAPTION)
        self.desktop.wait_settled()
        shot = self.desktop.screenshot("stub_usage_report")
        self.assertEqual(window.control(1000).text, self.USAGE)
        self.assertEqual(window.control(1003).text, "Error")
        self.assertEqual(window.control(1001).text, "")
        self.assertFalse(window.control(1).visible)
        self.assertEqual(window.control(2).text, "Cancel")
        banner = window.pictures()[0].rect
        self.assertTrue(close_to(Pixels(shot, Rect(banner.left + 2, banner.top + 2, banner.right - 2, banner.bottom - 2))
                                 .mean(), bitmap_mean(artwork("banner.bmp"))))
        self.assertIsNotNone(Pixels(shot, window.control(1003).rect).ink_box(self.face_colour(shot, window)))
        self.desktop.key("Escape")
        self.assertEqual(run.exit_code(), 0x80030057)

    def test_close_box(self):
        run = StubRun(self.wine, self.ARGS)
        self.runs.append(run)
        window = self.desktop.wait_window(CAPTION)
        self.desktop.click(*window.close_box)
        self.assertEqual(run.exit_code(), 0x80030057)

    def test_silent_run_logs_the_report_and_shows_nothing(self):
        log = self.scratch / "usage.log"
        run = StubRun(self.wine, ["/IAgreeToTheEULA", "log", self.win(log), *self.ARGS], timeout=30)
        self.runs.append(run)
        # A dialog would keep the stub waiting until its time limit.
        self.assertEqual(run.exit_code(), 0x80030057)
        self.assertNotIn(CAPTION, self.desktop.titles())
        # The report quotes the whole command-line tail, the log switch included.
        usage = self.USAGE.replace("'/temp C:\\x'", f"'/IAgreeToTheEULA log {self.win(log)} /temp C:\\x'")
        self.assertIn("\n" + usage + "\nEnded ", read_log(log))


class RefusedSignature(DialogTestCase):
    """A whole interactive run of the unsigned stub: Wine's trust provider fails it, so the run
    asks; after No, the report of the refusal waits for the user instead of closing at once
    (the quit message the question's end posted is dropped before the report runs)."""

    def test_refusal_report_stays_until_closed(self):
        run = StubRun(self.wine)
        self.runs.append(run)
        question = self.desktop.wait_window(CAPTION)
        if question.control(1).text != "Yes":
            self.skipTest("this build's stub does not check its own signature")
        self.desktop.click(*question.control(2).rect.center)
        self.desktop.wait_settled(2.0)
        report = self.desktop.wait_window(CAPTION)
        self.desktop.screenshot("refusal_report")
        self.assertEqual(report.control(1000).text, "Failed to run Lumetra Installer error 0x800b0100.")
        self.assertFalse(report.control(1).visible)
        self.assertEqual(report.control(2).text, "Cancel")
        self.assertTrue(run.running(), "the report closed by itself")
        self.desktop.key("Escape")
        self.assertEqual(run.exit_code(), 0x800B0100)


if __name__ == "__main__":
    unittest.main()
