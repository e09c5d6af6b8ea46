"""The benchmark, measured in one run under Wine, printed as ratios against baselines of the same
run: the stub's time from its start to the launched program's start for a 256 MiB payload
against CopyFileW of the same bytes, and for a tiny payload against starting the program
directly. Each figure is the median of a few runs. The setup files are signed by a test CA made
for the run and trusted in the bench prefix, so the stub's signature check is part of its time."""
import os
import statistics
import subprocess
import time

from harness import Wine, native_tool, quote_argument, stub_exe, win_program
from signing import TestCertificates, trusted_root

BIG_MIB = 256
RUNS = 3

wine = Wine("win32")
folder = wine.scratch("bench")
certificates = TestCertificates("Brennix Bench CA")
signer = certificates.issue("bench", "Brennix Bench Publisher")


def packed(name, extra=None):
    payload = folder / name
    payload.mkdir()
    (payload / "Setup.exe").write_bytes(win_program("payload").read_bytes())
    if extra:
        extra(payload)
    unsigned = folder / f"{name}.unsigned.exe"
    started = time.monotonic()
    subprocess.run([str(native_tool("brennix-pack")), "--stub", str(stub_exe()), "--out", str(unsigned),
                    "--payload", str(payload)], check=True, capture_output=True)
    packing = time.monotonic() - started
    setup = folder / f"{name}.exe"
    signer.sign(unsigned, setup)
    unsigned.unlink()
    return setup, packing


def big_data(payload):
    with open(payload / "data.bin", "wb") as out:
        for _ in range(BIG_MIB):
            out.write(os.urandom(1 << 20))


def timer(*args):
    result = wine.run(win_program("launch_timer"), args, timeout=900)
    if result.returncode != 0:
        raise SystemExit(f"launch_timer {args[0]} failed: {result.stderr.decode(errors='replace')}")
    return float(result.stdout.decode().strip())


def median(measure):
    return statistics.median(measure() for _ in range(RUNS))


def stub_to_program(setup):
    base = folder / "tmp"
    base.mkdir(exist_ok=True)
    command_line = " ".join(quote_argument(a) for a in [wine.win_path(setup), "temp", wine.win_path(base), "/IAgreeToTheEULA"])
    return timer("launch", wine.win_path(folder / "report.txt"), command_line)


def keep_desktop_running():
    """A program with a hidden window that lingers: it keeps Wine's desktop process alive, so
    that every run measured here does not also pay for starting it (about 0.7 s), which the
    stub's window calls would otherwise trigger and the plain program does not."""
    env = dict(wine.env, BRENNIX_PAYLOAD_WINDOW="hidden", BRENNIX_PAYLOAD_LINGER="900000")
    keeper = subprocess.Popen(["wine", str(win_program("payload"))], env=env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(3)
    return keeper


big_setup, pack_seconds = packed("big", big_data)
tiny_setup, _ = packed("tiny")
direct = folder / "direct" / "Setup.exe"
direct.parent.mkdir()
direct.write_bytes(win_program("payload").read_bytes())

keeper = keep_desktop_running()
root = trusted_root(wine, certificates)
root.__enter__()
try:
    stub_big = median(lambda: stub_to_program(big_setup))
    verify_big = median(lambda: timer("verify", wine.win_path(big_setup)))
    copy_big = median(lambda: timer("copy", wine.win_path(folder / "big" / "data.bin"), wine.win_path(folder / "copy.bin")))
    stub_tiny = median(lambda: stub_to_program(tiny_setup))
    launch_direct = median(lambda: timer("launch", wine.win_path(folder / "report.txt"), quote_argument(wine.win_path(direct))))
finally:
    root.__exit__(None, None, None)
    certificates.close()
    keeper.terminate()
    keeper.wait()

print(f"Stub start to program start, {BIG_MIB} MiB payload: {stub_big:8.1f} ms")
print(f"CopyFileW of the same {BIG_MIB} MiB:                {copy_big:8.1f} ms")
print(f"  ratio stub / copy:                          {stub_big / copy_big:8.2f}")
print(f"  of which the signature check of the file:  {verify_big:8.1f} ms")
print(f"  ratio stub without its signature check / copy: {(stub_big - verify_big) / copy_big:5.2f}")
print(f"  ratio of the unpacking alone (less the tiny run's time) / copy: {(stub_big - verify_big - stub_tiny) / copy_big:5.2f}")
print(f"Stub start to program start, tiny payload:    {stub_tiny:8.1f} ms")
print(f"Starting the program directly:                {launch_direct:8.1f} ms")
print(f"  ratio stub / direct start:                  {stub_tiny / launch_direct:8.2f}")
print(f"(medians of {RUNS} runs, Wine's desktop kept running; packing the {BIG_MIB} MiB setup file took {pack_seconds:.1f} s)")
