"""Setup files for the payload tests, made by brennix-pack from the built stub, and the checks
the tests share: log lines in order, the working folder, the test payload's report."""
import re
import shutil
import subprocess
from pathlib import Path

from harness import native_tool, read_log, read_payload_report, stub_exe, win_program

GUID_NAME = r"\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}"
ZERO_GUID_NAME = "{00000000-0000-0000-0000-000000000000}"
PACK_TIMEOUT = 120


def make_sample_payload(folder: Path) -> dict:
    """The sample payload: the test program as Setup.exe, its configuration file (also a launch
    candidate, with a higher id), a binary file holding every byte value, a file in a subfolder.
    Returns {relative Windows name: bytes}."""
    files = {
        "Setup.exe": win_program("payload").read_bytes(),
        "Setup.exe.config": b"<configuration />\r\n",
        "data.bin": bytes(range(256)) * 64 + b"\x00\x1a\r\n\xff",
        "sub\\nested.txt": b"nested file\r\n",
    }
    for name, data in files.items():
        path = folder.joinpath(*name.split("\\"))
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
    return files


def pack(out: Path, payload: Path = None, files=(), manifest: bytes = None, no_manifest=False,
         settings=None) -> Path:
    """Packs a setup file. files: (id, manifest name, source path); manifest: the bytes of
    resource 101 verbatim; settings: {string-table id: text}."""
    args = [str(native_tool("brennix-pack")), "--stub", str(stub_exe()), "--out", str(out)]
    if payload is not None:
        args += ["--payload", str(payload)]
    for resource_id, name, source in files:
        args += ["--file", f"{resource_id}={name}={source}"]
    if manifest is not None:
        manifest_path = out.with_suffix(".manifest")
        manifest_path.write_bytes(manifest)
        args += ["--manifest-file", str(manifest_path)]
    if no_manifest:
        args.append("--no-manifest")
    for entry, text in (settings or {}).items():
        args += ["--set", f"{entry}={text}"]
    result = subprocess.run(args, capture_output=True, timeout=PACK_TIMEOUT)
    if result.returncode != 0:
        raise AssertionError(f"brennix-pack failed: {result.stderr.decode(errors='replace')}")
    return out


def fresh_folder(path: Path) -> Path:
    shutil.rmtree(path, ignore_errors=True)
    path.mkdir(parents=True)
    return path


def log_lines(log_path: Path) -> list:
    return read_log(log_path).split("\n")


def assert_lines_in_order(test, lines: list, expected: list):
    """Every expected entry matches a later line than the one before it. An entry is a plain
    line, or a compiled regular expression that must match the whole line."""
    position = 0
    for wanted in expected:
        for index in range(position, len(lines)):
            line = lines[index]
            if (wanted.fullmatch(line) if isinstance(wanted, re.Pattern) else line == wanted):
                position = index + 1
                break
        else:
            shown = wanted.pattern if isinstance(wanted, re.Pattern) else wanted
            test.fail(f"log line {shown!r} missing after line {position}:\n" + "\n".join(lines))


def composed_command_line(lines: list) -> str:
    """The installer's command line as the stub composed it in its second (worker) pass."""
    composed = [line[len("Command line params "):] for line in lines if line.startswith("Command line params ")]
    if not composed:
        raise AssertionError("no 'Command line params' line in the log")
    return composed[-1]


def work_folder_from_log(lines: list) -> str:
    for line in lines:
        match = re.fullmatch(r"Set the temp folder to be '(.*)'", line)
        if match:
            return match.group(1)
    raise AssertionError("no 'Set the temp folder to be' line in the log")
