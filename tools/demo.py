"""The demo: packs a sample payload (the demo installer program and some data files) into a
setup file with brennix-pack, signs it with a test CA made for the run (a silent run refuses an
unsigned file) and trusted in the demo's Wine prefix, runs it silently with a log, prints the log
and the exit code, and saves a screenshot of the demo installer's window in the build folder."""
import os
import shutil
import subprocess
import threading
import time

from harness import NATIVE_BUILD_DIR, Wine, native_tool, read_log, run_stub, stub_exe, win_program
from signing import TestCertificates, trusted_root

WINDOW_TITLE = "Brennix demo installer"
SCREENSHOT = NATIVE_BUILD_DIR.parent / "demo-screenshot.png"


def make_payload(folder):
    shutil.rmtree(folder, ignore_errors=True)
    (folder / "data").mkdir(parents=True)
    shutil.copy(win_program("demo_installer"), folder / "Setup.exe")
    (folder / "Setup.exe.config").write_text("<configuration />\r\n")
    (folder / "readme.txt").write_text("Brennix demo payload.\r\n")
    (folder / "data" / "sample.dat").write_bytes(bytes(range(256)) * 16)


def take_screenshot(env, shots):
    """Waits for the demo installer's window, then photographs the whole display."""
    deadline = time.monotonic() + 40
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--name", WINDOW_TITLE], env=env, capture_output=True)
        if found.returncode == 0 and found.stdout.strip():
            time.sleep(1.0)  # let it paint
            shot = subprocess.run(["import", "-window", "root", str(SCREENSHOT)], env=env, capture_output=True)
            shots.append(shot.returncode == 0)
            return
        time.sleep(0.2)
    shots.append(False)


wine = Wine("win32")
folder = wine.scratch("demo")
payload = folder / "payload"
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
# Wine reads only the Unicode form of the program name correctly (see tests/e2e/signing.py).
publisher.set_unicode_program_name(setup, "Brennix Demo")

if SCREENSHOT.exists():
    SCREENSHOT.unlink()
shots = []
photographer = threading.Thread(target=take_screenshot, args=(wine.env, shots))
photographer.start()
log = folder / "demo.log"
with trusted_root(wine, certificates):
    run = run_stub(setup, args=["log", wine.win_path(log), "/IAgreeToTheEULA"], wine=wine, timeout=60)
photographer.join()
certificates.close()

print(f"Command line: {run.command_line}")
print("---- log ----")
print(read_log(log) if log.exists() else "(no log file was written)")
print("-------------")
print(f"Exit code: 0x{run.exit_code:08X} ({run.signed_exit_code})")
print(f"Screenshot of the demo installer: {SCREENSHOT}" if shots and shots[0] else "No screenshot: the window was not seen")
