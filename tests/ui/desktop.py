"""What the GUI tests see and do on the test run's X display: windows of Windows programs
(listed from inside Wine by ui_probe.exe), screenshots and their pixels, keys and clicks."""
import subprocess
import tempfile
import time
from dataclasses import dataclass, field
from pathlib import Path

from harness import NATIVE_BUILD_DIR, SOURCE_DIR, Wine, quote_argument, stub_exe, win_program

ARTIFACTS_DIR = NATIVE_BUILD_DIR / "artifacts"


def one_line_text(text: str) -> str:
    """A text as ui_probe prints it on one line, with its escapes undone."""
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"t": "\t", "r": "\r", "n": "\n"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


@dataclass
class Rect:
    left: int
    top: int
    right: int
    bottom: int

    @property
    def width(self):
        return self.right - self.left

    @property
    def height(self):
        return self.bottom - self.top

    @property
    def center(self):
        return (self.left + self.right) // 2, (self.top + self.bottom) // 2


@dataclass
class Control:
    id: int
    cls: str
    visible: bool
    rect: Rect
    text: str


@dataclass
class Window:
    title: str
    rect: Rect
    client: Rect
    enabled: bool
    controls: list = field(default_factory=list)

    def control(self, control_id: int) -> Control:
        for control in self.controls:
            if control.id == control_id:
                return control
        raise KeyError(f"no control {control_id} in {self.title!r}")

    def pictures(self):
        return [c for c in self.controls if c.id == -1 and c.cls == "Static" and c.rect.height > 2]

    @property
    def close_box(self):
        """Where the caption's close box is (Wine draws the frame itself)."""
        return self.rect.right - 13, self.rect.top + 12


class Desktop:
    def __init__(self, wine: Wine):
        self.wine = wine

    def _probe(self, *args) -> str:
        # Output into a file, not a pipe: a helper process that Wine starts on the way (its
        # desktop process, for one) would inherit a pipe and hold it open long after the probe.
        with tempfile.TemporaryFile() as output:
            subprocess.run([self.wine.loader, str(win_program("ui_probe")), *map(str, args)], env=self.wine.env, timeout=30,
                           stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.DEVNULL)
            output.seek(0)
            return output.read().decode("utf-8", "replace")

    def top_levels(self):
        """(visible, class, Rect, title) of each top-level window with a title or of the dialog class."""
        windows = []
        for line in self._probe("windows").splitlines():
            parts = line.split("\t", 7)
            if parts[0] == "top" and len(parts) == 8:
                windows.append((parts[1] == "1", parts[2], Rect(*[int(v) for v in parts[3:7]]), one_line_text(parts[7])))
        return windows

    def titles(self):
        """Titles of the visible top-level windows."""
        return [title for visible, _, _, title in self.top_levels() if visible and title]

    def untitled_dialogs(self):
        """(visible, Rect) of each dialog window without a caption text (the splash)."""
        return [(visible, rect) for visible, cls, rect, title in self.top_levels() if cls == "#32770" and not title]

    def window(self, title: str):
        """The visible top-level window `title` with its controls, or None."""
        lines = self._probe("controls", title).splitlines()
        if not lines or not lines[0].startswith("window\t"):
            return None
        head = lines[0].split("\t")
        numbers = [int(v) for v in head[1:9]]
        window = Window(title, Rect(*numbers[:4]), Rect(*numbers[4:8]), head[9] == "1")
        for line in lines[1:]:
            parts = line.split("\t", 8)
            window.controls.append(Control(int(parts[1]), parts[2], parts[3] == "1",
                                           Rect(*[int(v) for v in parts[4:8]]), one_line_text(parts[8])))
        return window

    def wait_window(self, title: str, timeout: float = 30):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            window = self.window(title)
            if window is not None:
                return window
            time.sleep(0.2)
        raise AssertionError(f"no window {title!r} within {timeout} s; visible: {self.titles()}")

    def wait_gone(self, title: str, timeout: float = 15):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if title not in self.titles():
                return
            time.sleep(0.2)
        raise AssertionError(f"window {title!r} still open after {timeout} s")

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.wine.env, check=True, timeout=20,
                       stdin=subprocess.DEVNULL, capture_output=True)

    def key(self, *keys):
        """Keys as the user types them (into the window that has the focus)."""
        self.xdotool("key", "--delay", "80", *keys)

    def click(self, x: int, y: int):
        self.xdotool("mousemove", "--sync", x, y)
        self.xdotool("click", 1)

    def screenshot(self, name: str) -> Path:
        """The whole screen, kept as build/native/artifacts/NAME.png."""
        ARTIFACTS_DIR.mkdir(parents=True, exist_ok=True)
        path = ARTIFACTS_DIR / f"{name}.png"
        subprocess.run(["import", "-window", "root", str(path)], env=self.wine.env, check=True, timeout=30)
        return path

    def wait_settled(self, delay: float = 0.6):
        """Gives the programs time to paint after an input."""
        time.sleep(delay)


class Pixels:
    """The RGB pixels of one rectangle of a screenshot (screen coordinates)."""

    def __init__(self, shot: Path, rect: Rect):
        self.rect = rect
        data = subprocess.run(["convert", str(shot), "-crop", f"{rect.width}x{rect.height}+{rect.left}+{rect.top}",
                               "+repage", "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
        self.rows = [[tuple(data[(y * rect.width + x) * 3:(y * rect.width + x) * 3 + 3]) for x in range(rect.width)]
                     for y in range(rect.height)]

    def count(self, colour) -> int:
        return sum(row.count(tuple(colour)) for row in self.rows)

    def mean(self):
        total = [0, 0, 0]
        pixels = 0
        for row in self.rows:
            for pixel in row:
                for i in range(3):
                    total[i] += pixel[i]
                pixels += 1
        return tuple(t / pixels for t in total)

    def ink_box(self, background):
        """Bounding box (x0, y0, x1, y1 inclusive, local) of pixels that differ from the background."""
        xs, ys = [], []
        for y, row in enumerate(self.rows):
            for x, pixel in enumerate(row):
                if sum(abs(a - b) for a, b in zip(pixel, background)) > 60:
                    xs.append(x)
                    ys.append(y)
        return (min(xs), min(ys), max(xs), max(ys)) if xs else None

    def dark_count(self, threshold: int = 110) -> int:
        return sum(1 for row in self.rows for p in row if max(p) < threshold)


def bitmap_mean(path: Path):
    """Mean colour of a picture file."""
    data = subprocess.run(["convert", str(path), "-resize", "1x1!", "-depth", "8", "rgb:-"],
                          check=True, capture_output=True).stdout
    return tuple(data[:3])


def artwork(name: str) -> Path:
    """A picture the stub is built with (res/NAME)."""
    return SOURCE_DIR / "res" / name


# Where the splash draws the unpacking's progress on its picture, and in which colours
# (ui/SplashProgressBar.h).
SPLASH_PROGRESS_BAR = Rect(114, 168, 314, 172)
PROGRESS_TRACK = (0x2A, 0x52, 0x83)
PROGRESS_FILL = (0x5C, 0xC3, 0xFF)


class SplashPicture:
    """The splash's picture as the screen shows it, against the artwork it is drawn from
    (res/splash.bmp), found at its place inside the splash window's frame."""

    def __init__(self, shot: Path, window: Rect):
        self.art = Pixels(artwork("splash.bmp"), Rect(0, 0, 428, 211))
        width, height = self.art.rect.width, self.art.rect.height
        # The window's border and the picture's edge lie around the picture: a few pixels.
        margin = 4
        around = Pixels(shot, Rect(window.left, window.top, window.left + width + margin, window.top + height + margin))
        best = None
        for dy in range(margin + 1):
            for dx in range(margin + 1):
                rows = [row[dx:dx + width] for row in around.rows[dy:dy + height]]
                same = sum(1 for y in range(0, height, 7) for x in range(0, width, 7)
                           if rows[y][x] == self.art.rows[y][x])
                if best is None or same > best[0]:
                    best = (same, rows)
        self.rows = best[1]

    def differences(self, except_rect: Rect = None):
        """(x, y) in picture coordinates of each pixel that differs from the artwork, leaving
        out `except_rect`."""
        found = []
        for y, (screen_row, art_row) in enumerate(zip(self.rows, self.art.rows)):
            for x, (shown, drawn) in enumerate(zip(screen_row, art_row)):
                if except_rect and except_rect.left <= x < except_rect.right and except_rect.top <= y < except_rect.bottom:
                    continue
                if any(abs(a - b) > 2 for a, b in zip(shown, drawn)):
                    found.append((x, y))
        return found

    def progress(self):
        """How much of the progress bar is filled (0.0 to 1.0), or None when no bar is drawn."""
        bar = SPLASH_PROGRESS_BAR
        rows = [self.rows[y][bar.left:bar.right] for y in range(bar.top, bar.bottom)]
        filled = [sum(1 for p in row if p == PROGRESS_FILL) for row in rows]
        track = [sum(1 for p in row if p == PROGRESS_TRACK) for row in rows]
        if any(f + t != bar.width for f, t in zip(filled, track)) or len(set(filled)) != 1:
            return None
        return filled[0] / bar.width


class Background:
    """A Windows program started in the background; finish() waits for it."""

    def __init__(self, wine: Wine, exe, args, env=None, timeout: float = 90):
        self.wine = wine
        self.timeout = timeout
        full_env = dict(wine.env)
        full_env.update(env or {})
        self._output = tempfile.TemporaryFile()
        self.process = subprocess.Popen(["timeout", "--kill-after=5", str(int(timeout)), wine.loader, str(exe), *map(str, args)],
                                        env=full_env, stdin=subprocess.DEVNULL, stdout=self._output,
                                        stderr=subprocess.STDOUT)

    def finish(self, timeout: float = None) -> int:
        code = self.process.wait(timeout=timeout or self.timeout + 10)
        self._output.close()
        return code

    def running(self) -> bool:
        return self.process.poll() is None

    def stop(self):
        """Ends the program (timeout passes the signal on to wine, which ends the Windows process)."""
        if self.running():
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self._output.close()


class StubRun(Background):
    """The stub started through the launcher, so its full exit code can be read."""

    def __init__(self, wine: Wine, args=(), env=None, timeout: float = 90, setup_exe=None):
        self._folder = tempfile.TemporaryDirectory(dir=wine.drive_c)
        self._exit_file = Path(self._folder.name) / "exit.txt"
        command_line = f'"{wine.win_path(setup_exe or stub_exe())}" ' + " ".join(quote_argument(a) for a in args)
        launcher_args = [f"--exit-file={wine.win_path(self._exit_file)}", f"--cmdline={command_line.rstrip()}",
                         f"--timeout={int(timeout * 1000) - 2000}"]
        launcher_args += [f"--env={name}={value}" for name, value in (env or {}).items()]
        super().__init__(wine, win_program("launch"), launcher_args, timeout=timeout)

    def exit_code(self) -> int:
        self.finish()
        text = self._exit_file.read_text().strip() if self._exit_file.exists() else "missing"
        self._folder.cleanup()
        if not text.startswith("0x"):
            raise AssertionError(f"stub did not finish: {text}")
        return int(text, 16)


class BellWatch:
    """Counts the keyboard bells the X server rings (MessageBeep under Wine rings one)."""

    def __init__(self, wine: Wine):
        self.process = subprocess.Popen([str(NATIVE_BUILD_DIR / "tests" / "ui" / "bell_watch")], env=wine.env,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, text=True)
        if self.process.stdout.readline().strip() != "ready":
            raise AssertionError("bell watcher did not start")

    def bells(self) -> int:
        self.process.terminate()
        output, _ = self.process.communicate(timeout=10)
        return output.split().count("bell")
