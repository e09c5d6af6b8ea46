"""Setup files for the payload tests, made by brennix-pack from the built stub and signed by a
test CA that the test prefixes trust (a silent run refuses an unsigned setup file), and the
checks the tests share: log lines in order, the working folder, the test payload's report."""
import re
import shutil
import subprocess
from contextlib import ExitStack
from pathlib import Path

from harness import native_tool, read_log, stub_exe, win_program
from signing import TestCertificates, trusted_root

GUID_NAME = r"\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}"
ZERO_GUID_NAME = "{00000000-0000-0000-0000-000000000000}"
PACK_TIMEOUT = 120


class TrustedSigning:
    """A test CA, trusted in the given Wine prefixes for as long as this lives, and a signer it
    issued."""

    def __init__(self, wines):
        self._stack = ExitStack()
        self.certificates = TestCertificates("Brennix Payload Test CA")
        self._stack.callback(self.certificates.close)
        self.signer = self.certificates.issue("payload", "Brennix Payload Tests")
        for wine in wines:
            self._stack.enter_context(trusted_root(wine, self.certificates))

    def sign(self, unsigned: Path, signed: Path):
        self.signer.sign(unsigned, signed)

    def close(self):
        self._stack.close()


_signing = None


def start_signing(wines):
    """From now on pack() signs what it makes; call from setUpModule."""
    global _signing
    _signing = TrustedSigning(wines)


def stop_signing():
    global _signing
    if _signing is not None:
        _signing.close()
        _signing = None


def signed_copy(unsigned: Path, out: Path) -> Path:
    """`unsigned` signed into `out`."""
    if _signing is None:
        raise AssertionError("start_signing() was not called")
    _signing.sign(unsigned, out)
    return out


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
         settings=None, store=False, resources=()) -> Path:
    """Packs and signs a setup file. files: (id, manifest name, source path); manifest: the
    bytes of resource 101 verbatim; settings: {string-table id: text}; store: files raw, not
    compressed; resources: (TYPE/NAME, source path) placed verbatim."""
    unsigned = out.with_name(out.stem + ".unsigned.exe")
    args = [str(native_tool("brennix-pack")), "--stub", str(stub_exe()), "--out", str(unsigned)]
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
    if store:
        args.append("--store")
    for key, source in resources:
        args += ["--resource", f"{key}={source}"]
    for entry, text in (settings or {}).items():
        args += ["--set", f"{entry}={text}"]
    result = subprocess.run(args, capture_output=True, timeout=PACK_TIMEOUT)
    if result.returncode != 0:
        raise AssertionError(f"brennix-pack failed: {result.stderr.decode(errors='replace')}")
    return signed_copy(unsigned, out)


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
