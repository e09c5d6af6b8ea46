"""The demo: packs the demo installer with a payload large enough that its unpacking takes a
while into a setup file with brennix-pack, signs it with a test CA made for the run (a silent
run refuses an unsigned file) and trusted in the demo's Wine prefix, then

1. runs it as a user would, and photographs what the user sees: the splash with its progress
   part-way, then the demo installer's window once the splash has gone;
2. runs it silently with a log, and prints the log and the exit code.

Every picture is saved in the build folder; the demo prints where."""
import os
import shutil
import subprocess
import sys
import threading
import time
from pathlib import Path

from harness import NATIVE_BUILD_DIR, SOURCE_DIR, Wine, native_tool, read_log, run_stub, stub_exe, win_program
from signing import TestCertificates, trusted_root

sys.path.insert(0, str(SOURCE_DIR / "tests" / "ui"))
from desktop import Desktop, SplashPicture  # noqa: E402

WINDOW_TITLE = "Brennix demo installer"
PICTURES = NATIVE_BUILD_DIR.parent
SPLASH_SHOT = PICTURES / "demo-splash.png"
INSTALLER_SHOT = PICTURES / "demo-screenshot.png"
# Enough bytes that unpacking outlasts the half second before the splash shows its progress.
DATA_MIB = int(os.environ.get("BRENNIX_DEMO_DATA_MIB", "1024"))
DATA_FILES = 8


def make_payload(folder):
    shutil.rmtree(folder, ignore_errors=True)
    (folder / "data").mkdir(parents=True)
    shutil.copy(win_program("demo_installer"), folder / "Setup.exe")
    (folder / "Setup.exe.config").write_text("<configuration />\r\n")
    (folder / "readme.txt").write_text("Brennix demo payload.\r\n")
    (folder / "data" / "sample.dat").write_bytes(bytes(range(256)) * 16)
    block = os.urandom(1 << 20)
    for index in range(DATA_FILES):
        with open(folder / "data" / f"media-{index + 1}.bin", "wb") as out:
            for _ in range(DATA_MIB // DATA_FILES):
                out.write(block)


def screenshot(env, path):
    return subprocess.run(["import", "-window", "root", str(path)], env=env, capture_output=True).returncode == 0


class Photographer(threading.Thread):
    """Watches an interactive run: photographs the display again and again while the splash is
    up, keeps the picture whose progress bar is nearest half-way, then photographs the demo
    installer's window."""

    def __init__(self, wine: Wine, folder: Path):
        super().__init__()
        self.wine = wine
        self.folder = folder
        self.splash_progress = None   # the kept picture's fraction; None: no bar was seen
        self.splash_seen = False
        self.installer_seen = False
        self._splash = None           # where the splash is while it is up
        self._watching = threading.Event()

    def run(self):
        # Looking for windows from inside Wine takes longer than a photograph: a second thread
        # looks, this one photographs, and pictures are judged only at the end.
        self._watching.set()
        watcher = threading.Thread(target=self._watch)
        watcher.start()
        shots = []
        while self._watching.is_set():
            splash = self._splash
            path = self.folder / f"splash-{len(shots):03d}.png"
            if splash is not None and screenshot(self.wine.env, path):
                shots.append((path, splash))
            else:
                time.sleep(0.05)
        watcher.join()
        if self.installer_seen:
            time.sleep(1.0)  # let it paint
            self.installer_seen = screenshot(self.wine.env, INSTALLER_SHOT)
        self.splash_seen = bool(shots)
        self.keep_best_splash(shots)

    def _watch(self):
        desktop = Desktop(self.wine)
        deadline = time.monotonic() + 120
        try:
            while time.monotonic() < deadline and not self.installer_seen:
                windows = [(cls, rect, title) for shown, cls, rect, title in desktop.top_levels() if shown]
                splashes = [rect for cls, rect, title in windows if cls == "#32770" and not title]
                self._splash = splashes[0] if splashes else None
                self.installer_seen = any(title == WINDOW_TITLE for _, _, title in windows)
        finally:
            self._splash = None
            self._watching.clear()

    def keep_best_splash(self, shots):
        best = None
        for path, splash in shots:
            progress = SplashPicture(path, splash).progress()
            score = abs(progress - 0.5) if progress is not None else 2.0
            if best is None or score < best[0]:
                best = (score, path, progress)
        if best is not None:
            shutil.copy(best[1], SPLASH_SHOT)
            self.splash_progress = best[2]

def packed_and_signed(folder):
    """The demo's setup file, and the test CA that signed it."""
    payload = folder / "payload"
    print(f"Making a payload of the demo installer and {DATA_MIB} MiB of data ...")
    make_payload(payload)
    unsigned = folder / "BrennixDemoSetup.unsigned.exe"
    packed = subprocess.run([str(native_tool("brennix-pack")), "--stub", str(stub_exe()), "--out", str(unsigned),
                             "--payload", str(payload)], capture_output=True, text=True)
    print(packed.stdout.strip() or packed.stderr.strip())
    if packed.returncode != 0:
        raise SystemExit(packed.returncode)
    certificates = TestCertificates("Brennix Demo CA")
    setup = folder / "BrennixDemoSetup.exe"
    publisher = certificates.issue("demo", "Brennix Demo Publisher")
    publisher.sign(unsigned, setup, program_name="Brennix Demo")
    unsigned.unlink()
    # Wine reads only the Unicode form of the program name correctly (see tests/e2e/signing.py).
    publisher.set_unicode_program_name(setup, "Brennix Demo")
    return setup, certificates


def run_as_a_user(wine, setup, folder):
    """Starts the setup file with no arguments and photographs what the user sees."""
    print("---- as a user starts it ----")
    for picture in (SPLASH_SHOT, INSTALLER_SHOT):
        if picture.exists():
            picture.unlink()
    shots = folder / "shots"
    shutil.rmtree(shots, ignore_errors=True)
    shots.mkdir()
    photographer = Photographer(wine, shots)
    photographer.start()
    run = run_stub(setup, wine=wine, timeout=180)
    photographer.join()
    print(f"Exit code: 0x{run.exit_code:08X} ({run.signed_exit_code})")
    if photographer.splash_progress is not None:
        print(f"The splash with its progress at {photographer.splash_progress:.0%}: {SPLASH_SHOT}")
    elif photographer.splash_seen:
        print(f"The splash (the unpacking ended before its progress showed): {SPLASH_SHOT}")
    else:
        print("No picture of the splash: it was not seen")
    print(f"The demo installer's window: {INSTALLER_SHOT}" if photographer.installer_seen
          else "No picture of the demo installer: its window was not seen")


def run_silently(wine, setup, folder):
    """Runs the setup file silently with a log; prints the log and the exit code."""
    print("---- silently, with a log ----")
    log = folder / "demo.log"
    if log.exists():
        log.unlink()
    run = run_stub(setup, args=["log", wine.win_path(log), "/IAgreeToTheEULA"], wine=wine, timeout=180)
    print(f"Command line: {run.command_line}")
    print("---- log ----")
    print(read_log(log) if log.exists() else "(no log file was written)")
    print("-------------")
    print(f"Exit code: 0x{run.exit_code:08X} ({run.signed_exit_code})")


def main():
    wine = Wine("win32")
    folder = wine.scratch("demo")
    setup, certificates = packed_and_signed(folder)
    try:
        with trusted_root(wine, certificates):
            run_as_a_user(wine, setup, folder)
            run_silently(wine, setup, folder)
    finally:
        certificates.close()


if __name__ == "__main__":
    main()
