"""End-to-end harness: runs built setup files under Wine and reads what they leave behind.

Paths come from the environment that ctest sets (see cmake/BrennixTesting.cmake):
BRENNIX_SOURCE_DIR, BRENNIX_NATIVE_BUILD_DIR, BRENNIX_WIN_BUILD_DIR, BRENNIX_WIN64_BUILD_DIR,
BRENNIX_WINE_STATE_DIR. Where the machine runs no 32-bit programs but 64-bit ones
(tests/wine/machine-check.sh), the Windows build is the 64-bit twin, every prefix is the 64-bit
one and programs start with Wine's 64-bit loader; tests marked needs_32_bit_programs are left out.

The stub refuses a silent run of an unsigned file and fails without a payload: a test of a whole
run uses sample_setup() (the stub packed with the test payload and signed by the test run's
signer, whose CA both prefixes trust), or signs its own setup files with sign().
"""
import fcntl
import functools
import os
import sys
import shutil
import subprocess
import tempfile
import time
import unittest
from contextlib import contextmanager
from dataclasses import dataclass, field
from pathlib import Path, PureWindowsPath

SOURCE_DIR = Path(os.environ.get("BRENNIX_SOURCE_DIR", Path(__file__).resolve().parents[2]))
NATIVE_BUILD_DIR = Path(os.environ.get("BRENNIX_NATIVE_BUILD_DIR", SOURCE_DIR / "build" / "native"))
WINE_STATE_DIR = Path(os.environ.get("BRENNIX_WINE_STATE_DIR", NATIVE_BUILD_DIR / "wine"))

# ctest's skip code for a test that cannot run on this machine (cmake/BrennixTesting.cmake).
SKIP_CODE = 77


@functools.lru_cache(maxsize=None)
def _machine_verdict():
    """tests/wine/machine-check.sh's verdict: (32 or 64 or None, the reason, if any)."""
    check = subprocess.run([str(SOURCE_DIR / "tests" / "wine" / "machine-check.sh")], capture_output=True, text=True,
                           stdin=subprocess.DEVNULL)
    if check.returncode == SKIP_CODE:
        return None, check.stdout.strip()
    if check.returncode != 0:
        raise RuntimeError(f"machine-check.sh failed: {check.stdout}{check.stderr}")
    bits, _, reason = check.stdout.strip().partition(" ")
    return int(bits), reason or None


def reason_windows_programs_cannot_run():
    """The reason the Windows programs under test cannot run on this machine, or None when they
    can (tests/wine/machine-check.sh decides)."""
    bits, reason = _machine_verdict()
    return reason if bits is None else None


def only_64_bit_programs_run() -> bool:
    """Whether the tests run the 64-bit twin of the Windows build (the kernel runs no 32-bit code)."""
    return _machine_verdict()[0] == 64


ONLY_64_BIT = only_64_bit_programs_run()
WIN_BUILD_DIR = Path(os.environ.get("BRENNIX_WIN64_BUILD_DIR", SOURCE_DIR / "build" / "win64") if ONLY_64_BIT
                     else os.environ.get("BRENNIX_WIN_BUILD_DIR", SOURCE_DIR / "build" / "win"))
# The loader that starts the programs under test; /usr/bin/wine always picks the 32-bit one.
WINE_LOADER = "/usr/lib/wine/wine64" if ONLY_64_BIT else "wine"
# The prefixes of a test run; where only 64-bit programs run, a 32-bit prefix is the 64-bit one.
PREFIX_ARCHES = ("win64",) if ONLY_64_BIT else ("win32", "win64")
# The registry view that the stub (and so a test) reads with plain KEY_READ.
PROGRAM_VIEW = "64" if ONLY_64_BIT else "32"

# Every Wine run gets a time limit, so a hanging stub fails its test instead of hanging CI.
DEFAULT_TIMEOUT = 90

# The test run's signing identity (see sign) and its signed sample setup file.
SIGNING_DIR = WINE_STATE_DIR / "signing"
# The identity's certificates are valid for 30 days; a kept prefix gets a new one well before.
SIGNING_MAX_AGE = 7 * 24 * 3600


def stub_exe() -> Path:
    """The built stub, BrennixInstaller.exe."""
    return WIN_BUILD_DIR / "BrennixInstaller.exe"


def win_program(name: str) -> Path:
    """A Windows program built for the tests (bin/NAME.exe of the cross build)."""
    return WIN_BUILD_DIR / "bin" / f"{name}.exe"


def native_tool(name: str) -> Path:
    """A native tool of the native build (brennix-pack, brennix-tag)."""
    for candidate in NATIVE_BUILD_DIR.rglob(name):
        if candidate.is_file() and os.access(candidate, os.X_OK):
            return candidate
    raise FileNotFoundError(f"{name} is not built in {NATIVE_BUILD_DIR}")


def quote_argument(argument: str) -> str:
    """Quotes one argument the way the C runtime's splitting reads it back unchanged."""
    if argument and not any(c in argument for c in ' \t"'):
        return argument
    result, backslashes = '"', 0
    for c in argument:
        if c == "\\":
            backslashes += 1
        elif c == '"':
            result += "\\" * (backslashes * 2 + 1) + '"'
            backslashes = 0
        else:
            result += "\\" * backslashes + c
            backslashes = 0
    return result + "\\" * (backslashes * 2) + '"'


class Wine:
    """One of the test run's private prefixes (win32 or win64), or, given a name, a prefix of
    that architecture that a test makes for itself (WINE_STATE_DIR/prefix-NAME). Where only 64-bit
    programs run, win32 means win64. loader starts programs in it."""

    def __init__(self, arch: str = "win32", name: str = None):
        self.arch = "win64" if ONLY_64_BIT else arch
        self.loader = WINE_LOADER
        self.prefix = WINE_STATE_DIR / f"prefix-{name or self.arch}"
        self.drive_c = self.prefix / "drive_c"
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": str(self.prefix),
            "WINEARCH": self.arch,
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
        })
        if ONLY_64_BIT:
            self.env["WINESERVER"] = "/usr/lib/wine/wineserver64"
        display_file = WINE_STATE_DIR / "display"
        if display_file.exists():
            self.env["DISPLAY"] = display_file.read_text().strip()
        self.env.pop("XAUTHORITY", None)

    def win_path(self, unix_path) -> str:
        """The Windows path of a Unix path: C:\\... inside drive_c, Z:\\... elsewhere."""
        path = Path(unix_path).resolve() if Path(unix_path).exists() else Path(os.path.abspath(unix_path))
        try:
            relative = path.relative_to(self.drive_c.resolve())
            return "C:\\" + str(relative).replace("/", "\\") if str(relative) != "." else "C:\\"
        except ValueError:
            return "Z:" + str(path).replace("/", "\\")

    def unix_path(self, win_path: str) -> Path:
        """The Unix path of a Windows path on C: or Z: (case as written)."""
        windows = PureWindowsPath(win_path)
        drive = windows.drive.upper()
        parts = windows.parts[1:]
        if drive == "C:":
            return self.drive_c.joinpath(*parts)
        if drive == "Z:":
            return Path("/").joinpath(*parts)
        raise ValueError(f"no Unix path for {win_path}")

    def run(self, exe, args=(), env=None, timeout=DEFAULT_TIMEOUT, input=None) -> subprocess.CompletedProcess:
        """Runs a Windows program with wine; args are passed through unchanged."""
        full_env = dict(self.env)
        full_env.update(env or {})
        # Output goes through files, not pipes: the desktop process that a program's first window
        # starts inherits them and lingers about 2 s after the program, and a pipe would make
        # every run wait for it.
        with tempfile.TemporaryFile() as stdout, tempfile.TemporaryFile() as stderr:
            result = subprocess.run([self.loader, str(exe), *map(str, args)], env=full_env, timeout=timeout,
                                    stdin=subprocess.DEVNULL if input is None else None, input=input,
                                    stdout=stdout, stderr=stderr)
            stdout.seek(0)
            stderr.seek(0)
            result.stdout, result.stderr = stdout.read(), stderr.read()
        return result

    def reg_add(self, key: str, name: str, value, kind: str = "REG_DWORD", view: str = PROGRAM_VIEW):
        """Writes one registry value in the given view (by default the one the stub reads)."""
        result = self.run("reg", ["add", key, "/v", name, "/t", kind, "/d", str(value), "/f", f"/reg:{view}"])
        if result.returncode != 0:
            raise RuntimeError(f"reg add {key}\\{name} failed: {result.stderr!r}")

    def reg_delete(self, key: str, view: str = PROGRAM_VIEW):
        self.run("reg", ["delete", key, "/f", f"/reg:{view}"])

    def scratch(self, name: str) -> Path:
        """A fresh folder on C: for one test (C:\\brennix-tests\\NAME)."""
        folder = self.drive_c / "brennix-tests" / name
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        return folder


@dataclass
class Run:
    exit_code: int          # the full 32-bit exit code, unsigned
    stdout: bytes
    stderr: bytes
    command_line: str

    @property
    def signed_exit_code(self) -> int:
        return self.exit_code - (1 << 32) if self.exit_code & 0x80000000 else self.exit_code


def run_stub(setup_exe=None, args=None, cmdline=None, env=None, arch="win32", timeout=DEFAULT_TIMEOUT,
             restricted=False, tmp=None, cwd=None, wine=None) -> Run:
    """Starts a setup file under Wine through the launcher and waits for it.

    args: a list, quoted as the C runtime splits it back; or cmdline: the raw text after the
    program's quoted path. env: variables for the stub (and so its installer). tmp: a Windows
    path for TMP and TEMP. restricted: Administrators disabled in the stub's token.
    """
    wine = wine or Wine(arch)
    setup_exe = Path(setup_exe or stub_exe())
    if cmdline is None:
        cmdline = " ".join(quote_argument(a) for a in (args or []))
    command_line = f'"{wine.win_path(setup_exe)}" {cmdline}'.rstrip()
    with tempfile.TemporaryDirectory(dir=wine.drive_c) as work:
        exit_file = Path(work) / "exit.txt"
        launcher_args = [f"--exit-file={wine.win_path(exit_file)}", f"--cmdline={command_line}",
                         f"--timeout={int(timeout * 1000) - 2000}"]
        for name, value in (env or {}).items():
            launcher_args.append(f"--env={name}={value}")
        if tmp is not None:
            launcher_args += [f"--env=TMP={tmp}", f"--env=TEMP={tmp}"]
        if cwd is not None:
            launcher_args.append(f"--cwd={cwd}")
        if restricted:
            launcher_args.append("--restricted")
        result = wine.run(win_program("launch"), launcher_args, timeout=timeout + 10)
        text = exit_file.read_text().strip() if exit_file.exists() else "missing"
    if not text.startswith("0x"):
        raise AssertionError(f"stub did not finish: {text} (launcher {result.returncode}, {result.stderr[-500:]!r})")
    return Run(int(text, 16), result.stdout, result.stderr, command_line)


@contextmanager
def _signing_lock():
    """Serialises the test processes of a run while they make or use the signing identity."""
    SIGNING_DIR.mkdir(parents=True, exist_ok=True)
    with open(WINE_STATE_DIR / "signing.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        yield


def _run_signer():
    """The test run's signer, whose CA both prefixes trust in their machine Root store; made on
    first use (the fixture forgets the trust when it makes a prefix afresh). Call under the lock."""
    from signing import Signer, TestCertificates, add_trusted_root

    files = [SIGNING_DIR / name for name in ("ca.crt", "ca.der", "signer.crt", "signer.key")]
    if not all(f.exists() for f in files) or time.time() - files[0].stat().st_mtime > SIGNING_MAX_AGE:
        certificates = TestCertificates("Brennix Test Run CA")
        try:
            signer = certificates.issue("signer", "Brennix Test Run Signer")
            shutil.copy(certificates.ca_cert, files[0])
            files[1].write_bytes(certificates.ca_der())
            shutil.copy(signer.cert, files[2])
            shutil.copy(signer.key, files[3])
        finally:
            certificates.close()
        for marker in SIGNING_DIR.glob("trusted-*"):
            marker.unlink()
    for arch in PREFIX_ARCHES:
        marker = SIGNING_DIR / f"trusted-{arch}"
        if not marker.exists():
            add_trusted_root(Wine(arch), files[1].read_bytes())
            marker.write_text("")
    return Signer(files[2], files[3], files[0])


def sign(path, program_name=None) -> Path:
    """Signs a setup file in place with the test run's signer, so that the stub's check of its
    own signature passes (the run's CA is trusted in both prefixes). program_name goes into the
    signature's program-name attribute (ASCII form). Returns the path."""
    path = Path(path)
    unsigned = path.with_name(path.name + ".unsigned")
    with _signing_lock():
        signer = _run_signer()
        shutil.move(path, unsigned)
        try:
            signer.sign(unsigned, path, program_name)
        finally:
            unsigned.unlink(missing_ok=True)
    return path


def sample_setup() -> Path:
    """A setup file as a release engineer ships one: the built stub with the test payload program
    as its installer (Setup.exe), packed by brennix-pack and signed by the test run's signer.
    Made once per test run, again when the stub is rebuilt. Copy it before changing it."""
    target = SIGNING_DIR / "SampleSetup.exe"
    with _signing_lock():
        signer = _run_signer()
        if target.exists() and target.stat().st_mtime >= stub_exe().stat().st_mtime:
            return target
        payload = SIGNING_DIR / "sample-payload"
        shutil.rmtree(payload, ignore_errors=True)
        payload.mkdir()
        shutil.copy(win_program("payload"), payload / "Setup.exe")
        unsigned = target.with_suffix(".unsigned")
        packed = subprocess.run([str(native_tool("brennix-pack")), "--stub", str(stub_exe()), "--out", str(unsigned),
                                 "--payload", str(payload)], capture_output=True, timeout=120)
        if packed.returncode != 0:
            raise AssertionError(f"brennix-pack failed: {packed.stderr.decode(errors='replace')}")
        partial = target.with_suffix(".partial")
        signer.sign(unsigned, partial)
        unsigned.unlink()
        partial.replace(target)
    return target


def can_mount_tmpfs() -> bool:
    """Whether this run may mount a tmpfs (small_drive needs it)."""
    with tempfile.TemporaryDirectory() as folder:
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=1m", "tmpfs", folder],
                                 capture_output=True).returncode == 0
        if mounted:
            subprocess.run(["umount", folder], check=True)
        return mounted


@contextmanager
def small_drive(wine: Wine, size: str):
    """A tmpfs of `size` (as mount takes it, e.g. "100m") linked into the prefix as a free drive
    letter, for as long as this lasts; yields (drive, mount folder), the drive as "T:"."""
    mount = Path(tempfile.mkdtemp(prefix="brennix-drive-"))
    subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", str(mount)], check=True)
    devices = wine.prefix / "dosdevices"
    letter = next(l for l in "tuvwxy" if not (devices / f"{l}:").exists())
    link = devices / f"{letter}:"
    link.symlink_to(mount)
    try:
        yield f"{letter.upper()}:", mount
    finally:
        link.unlink()
        subprocess.run(["umount", str(mount)], check=True)
        mount.rmdir()


def read_log(path, codepage: str = "cp1252") -> str:
    """Reads a log file: every line end must be CR LF; returns the text with plain LF."""
    data = Path(path).read_bytes()
    stripped = data.replace(b"\r\n", b"")
    if b"\n" in stripped:
        raise AssertionError(f"log {path} has a line feed without a carriage return")
    return data.decode(codepage).replace("\r\n", "\n")


@dataclass
class PayloadReport:
    command_line: str = ""
    args: list = field(default_factory=list)
    cwd: str = ""
    exe: str = ""
    files: dict = field(default_factory=dict)


def read_payload_report(path) -> PayloadReport:
    """Reads what the test payload program recorded (see tests/support/payload.cpp)."""
    report = PayloadReport()
    for line in Path(path).read_text(encoding="utf-8").splitlines():
        key, _, value = line.partition("\t")
        if key == "cmdline":
            report.command_line = value
        elif key == "arg":
            report.args.append(value)
        elif key == "cwd":
            report.cwd = value
        elif key == "exe":
            report.exe = value
        elif key == "file":
            name, _, size = value.rpartition("\t")
            report.files[name] = int(size)
    return report


def runs_windows_programs(test):
    """Marks a test, outside a WineTestCase, that starts Windows programs: skipped where they cannot run."""
    reason = reason_windows_programs_cannot_run()
    return unittest.skipIf(reason is not None, reason)(test)


def needs_32_bit_programs(why: str):
    """Marks a test or test class that is about the 32-bit build (the processor-mode guard under
    WOW64, the 32-bit registry view, ...): left out, with why, where only 64-bit programs run
    (tests/e2e/run_e2e.py)."""
    def mark(test):
        test.needs_32_bit_programs = why
        return unittest.skipIf(ONLY_64_BIT, f"needs 32-bit programs: {why}")(test)
    return mark


def reason_needs_32_bit_programs(test: unittest.TestCase):
    """Why a test, by its own or its class's mark, needs 32-bit programs; None when it does not."""
    method = getattr(type(test), test._testMethodName, None)
    return getattr(method, "needs_32_bit_programs", None) or getattr(type(test), "needs_32_bit_programs", None)


class WineTestCase(unittest.TestCase):
    """A test case with a Wine prefix and a scratch folder on C: of its own. The whole case is
    left out where the Windows programs cannot run (tests/e2e/run_e2e.py)."""
    arch = "win32"

    def setUp(self):
        self.wine = Wine(self.arch)
        self.scratch = self.wine.scratch(self.id().split(".")[-2] + "." + self._testMethodName)

    def win(self, unix_path) -> str:
        return self.wine.win_path(unix_path)


def reg_import(wine: Wine, keys: dict, view: str = PROGRAM_VIEW):
    """Writes {key: {value name: value}} into the prefix's registry in one import; keys are full
    paths (HKEY_LOCAL_MACHINE\\...), an int value is a REG_DWORD, a str a REG_SZ."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    for key, values in keys.items():
        lines.append(f"[{key}]")
        for name, value in values.items():
            escaped = str(value).replace("\\", "\\\\").replace('"', '\\"')
            lines.append(f'"{name}"=dword:{value & 0xFFFFFFFF:08x}' if isinstance(value, int) else f'"{name}"="{escaped}"')
        lines.append("")
    with tempfile.TemporaryDirectory(dir=wine.drive_c) as work:
        reg_file = Path(work) / "import.reg"
        reg_file.write_text("\r\n".join(lines), encoding="utf-8")
        result = wine.run("reg", ["import", wine.win_path(reg_file), f"/reg:{view}"])
    if result.returncode != 0:
        raise RuntimeError(f"reg import failed: {result.stderr!r}")


# .NET Framework 4.8 (full and client profile) as its installer leaves the setup keys, in the
# registry view that the stub reads. Fresh prefixes have no .NET keys at all, and the
# stub's shipped settings ask for 4.0 or later, so the fixture gives both prefixes this state;
# tests that change it put it back with install_net48.
NET_SETUP_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\NET Framework Setup\NDP"
NET48_VALUES = {"Install": 1, "Release": 528040, "Servicing": 0, "TargetVersion": "4.0.0", "Version": "4.8.04084"}


def install_net48(wine: Wine):
    """Writes the .NET 4.8 state (v4\\Full and v4\\Client) into the prefix."""
    reg_import(wine, {f"{NET_SETUP_KEY}\\v4\\{profile}": NET48_VALUES for profile in ("Full", "Client")})


def remove_net_framework(wine: Wine, view: str = PROGRAM_VIEW):
    """Removes every .NET setup key from the view (by default the one the stub reads)."""
    wine.reg_delete(NET_SETUP_KEY.replace("HKEY_LOCAL_MACHINE", "HKLM"), view=view)


if __name__ == "__main__":
    if sys.argv[1:] != ["install-net48"]:
        sys.exit("usage: harness.py install-net48   (every prefix of BRENNIX_WINE_STATE_DIR)")
    for arch in PREFIX_ARCHES:
        install_net48(Wine(arch))
