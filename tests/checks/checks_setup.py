"""Setup files for the prerequisite-check tests, made by brennix-pack from the built stub with the
test payload as their program and the settings under test in their string table, and the silent
run with a log that most of the tests make."""
import subprocess
from pathlib import Path

from harness import native_tool, read_log, run_stub, stub_exe, win_program

APPLICATION_NAME = "Brennix Checks Test"
PACK_TIMEOUT = 120

E_FAIL = 0x80004005
MEDIUM_FULL = 0x80030070
NET_FRAMEWORK_MISSING = 0x80110409
ADMIN_RIGHTS_MISSING = 0x80110413


def pack_setup(out: Path, settings=None, unset=()) -> Path:
    """A setup file whose program (Setup.exe) is the test payload. settings: {string-table id:
    text} for --set; unset: ids made empty (missing) with --unset."""
    payload = out.parent / (out.stem + "-payload")
    payload.mkdir(parents=True, exist_ok=True)
    (payload / "Setup.exe").write_bytes(win_program("payload").read_bytes())
    args = [str(native_tool("brennix-pack")), "--stub", str(stub_exe()), "--out", str(out),
            "--payload", str(payload), "--set", f"1={APPLICATION_NAME}"]
    for entry, text in (settings or {}).items():
        args += ["--set", f"{entry}={text}"]
    for entry in unset:
        args += ["--unset", str(entry)]
    result = subprocess.run(args, capture_output=True, timeout=PACK_TIMEOUT)
    if result.returncode != 0:
        raise AssertionError(f"brennix-pack failed: {result.stderr.decode(errors='replace')}")
    return out


def run_silent(test, setup: Path, *switches, **run_options):
    """Runs the setup silently with a log and without launching its program (so an unsigned
    setup file still reaches the checks); returns (run, log lines)."""
    log = test.scratch / "setup.log"
    log.unlink(missing_ok=True)
    run = run_stub(setup, args=["log", test.win(log), "/IAgreeToTheEULA", "/dontrun", *switches], wine=test.wine,
                   **run_options)
    return run, read_log(log).split("\n")


def lines_after(lines: list, first: str) -> list:
    """The lines from the first one equal to `first` on."""
    return lines[lines.index(first):] if first in lines else []
