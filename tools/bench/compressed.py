"""The compressed payload against its peers, in one run under Wine: a realistic payload (the
test program as Setup.exe and the largest 32-bit Windows DLLs of Debian's Wine build, about
190 MiB of real PE files) packed four ways: ours compressed (the default), ours stored
(--store), NSIS 3 LZMA solid and NSIS 3 stored. For each: the setup file's size, and the time
from its start to the payload program's start (median of a few interleaved rounds). Ours are
signed by a test CA trusted in the prefix, so their signature check is part of the time; NSIS
checks none. Ratios are against NSIS LZMA solid and against our stored run."""
import glob
import os
import statistics
import subprocess
import time
from pathlib import Path

from harness import Wine, native_tool, quote_argument, stub_exe, win_program
from signing import TestCertificates, trusted_root

PAYLOAD_MIB = 190
ROUNDS = 3

wine = Wine("win32")
folder = wine.scratch("bench-compressed")
certificates = TestCertificates("Brennix Bench CA")
signer = certificates.issue("bench", "Brennix Bench Publisher")


def make_payload() -> Path:
    payload = folder / "payload"
    payload.mkdir()
    (payload / "Setup.exe").write_bytes(win_program("payload").read_bytes())
    dlls = sorted(glob.glob("/usr/lib/*/wine/i386-windows/*.dll"), key=lambda p: -os.path.getsize(p))
    total = 0
    for dll in dlls:
        if total >= PAYLOAD_MIB << 20:
            break
        (payload / "bin").mkdir(exist_ok=True)
        (payload / "bin" / Path(dll).name).write_bytes(Path(dll).read_bytes())
        total += os.path.getsize(dll)
    return payload


def ours(payload: Path, name: str, *options) -> tuple:
    unsigned = folder / f"{name}.unsigned.exe"
    started = time.monotonic()
    packed = subprocess.run([str(native_tool("brennix-pack")), "--stub", str(stub_exe()), "--out", str(unsigned),
                             "--payload", str(payload), *options], check=True, capture_output=True, text=True)
    seconds = time.monotonic() - started
    setup = folder / f"{name}.exe"
    signer.sign(unsigned, setup)
    unsigned.unlink()
    return setup, seconds, packed.stdout.strip()


def nsis(payload: Path, name: str, compression: str) -> tuple:
    script = folder / f"{name}.nsi"
    script.write_text(f"""Unicode true
{compression}
Name "Peer"
OutFile "{folder / (name + '.exe')}"
RequestExecutionLevel user
SilentInstall silent
Section
  InitPluginsDir
  SetOutPath "$PLUGINSDIR\\payload"
  File /r "{payload}/*"
  ExecWait '"$PLUGINSDIR\\payload\\Setup.exe"'
SectionEnd
""")
    started = time.monotonic()
    subprocess.run(["makensis", "-V1", str(script)], check=True, capture_output=True)
    return folder / f"{name}.exe", time.monotonic() - started, ""


def start_to_payload(command_line: str) -> float:
    result = wine.run(win_program("launch_timer"), ["launch", wine.win_path(folder / "report.txt"), command_line],
                      timeout=900)
    if result.returncode != 0:
        raise SystemExit(f"launch_timer failed: {result.stderr.decode(errors='replace')}")
    return float(result.stdout.decode().strip())


def keep_desktop_running():
    """Keeps Wine's desktop process alive, so no run also pays for starting it."""
    env = dict(wine.env, BRENNIX_PAYLOAD_WINDOW="hidden", BRENNIX_PAYLOAD_LINGER="900000")
    keeper = subprocess.Popen(["wine", str(win_program("payload"))], env=env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(3)
    return keeper


payload = make_payload()
payload_bytes = sum(p.stat().st_size for p in payload.rglob("*") if p.is_file())
base = folder / "tmp"
base.mkdir()
setups = {
    "ours compressed": ours(payload, "ours-compressed"),
    "ours stored": ours(payload, "ours-stored", "--store"),
    "NSIS LZMA solid": nsis(payload, "nsis-lzma", "SetCompressor /SOLID lzma"),
    "NSIS stored": nsis(payload, "nsis-stored", "SetCompress off"),
}


def command_line(name: str, setup: Path) -> str:
    if name.startswith("ours"):
        return " ".join(quote_argument(a) for a in [wine.win_path(setup), "temp", wine.win_path(base), "/IAgreeToTheEULA"])
    return quote_argument(wine.win_path(setup)) + " /S"


keeper = keep_desktop_running()
root = trusted_root(wine, certificates)
root.__enter__()
times = {name: [] for name in setups}
try:
    for _ in range(ROUNDS):
        for name, (setup, _, _) in setups.items():
            times[name].append(start_to_payload(command_line(name, setup)))
finally:
    root.__exit__(None, None, None)
    certificates.close()
    keeper.terminate()
    keeper.wait()

peer = "NSIS LZMA solid"
peer_size = setups[peer][0].stat().st_size
peer_time = statistics.median(times[peer])
stored_time = statistics.median(times["ours stored"])
print(f"Payload: Setup.exe and {len(list((payload / 'bin').iterdir()))} DLLs, {payload_bytes / 2**20:.1f} MiB")
print(f"{'setup file':<18}{'size MiB':>10}{'/ NSIS LZMA':>13}{'start→payload ms':>19}{'/ NSIS LZMA':>13}{'/ ours stored':>15}"
      f"{'packing s':>11}")
for name, (setup, pack_seconds, _) in setups.items():
    size = setup.stat().st_size
    elapsed = statistics.median(times[name])
    print(f"{name:<18}{size / 2**20:>10.1f}{size / peer_size:>13.3f}{elapsed:>19.0f}{elapsed / peer_time:>13.3f}"
          f"{elapsed / stored_time:>15.3f}{pack_seconds:>11.1f}")
print(f"(medians of {ROUNDS} interleaved rounds; {setups['ours compressed'][2]})")
