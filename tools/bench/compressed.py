"""The compressed payload against its peers, in one run under Wine: a realistic payload (the
test program as Setup.exe and the largest 32-bit Windows DLLs of Debian's Wine build, about
190 MiB of real PE files) packed four ways: ours compressed (the packer's default), ours stored
(--store), NSIS 3 LZMA-solid and NSIS 3 stored (tools/bench/Peer.nsi). For each: the setup
file's size and the time from its start to the payload program's start, the median of a few
interleaved rounds. Ours are signed, so their signature check is part of their time; NSIS checks
none. Ratios are against NSIS LZMA-solid and against our stored run."""
import glob
import os
import shutil
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

from benchkit import PROGRAM, Bench, interleaved, median, print_table  # noqa: E402
from harness import win_program  # noqa: E402

PAYLOAD_MIB = 190
ROUNDS = 3


def dll_payload(bench):
    """Setup.exe and the largest DLLs until PAYLOAD_MIB is reached, under bin/."""
    folder = bench.folder / "dlls"
    (folder / "bin").mkdir(parents=True)
    (folder / PROGRAM).write_bytes(win_program("payload").read_bytes())
    total = 0
    for dll in sorted(glob.glob("/usr/lib/*/wine/i386-windows/*.dll"), key=lambda p: -os.path.getsize(p)):
        if total >= PAYLOAD_MIB << 20:
            break
        shutil.copyfile(dll, folder / "bin" / Path(dll).name)
        total += os.path.getsize(dll)
    return folder


def timed(make):
    started = time.monotonic()
    setup = make()
    return setup, time.monotonic() - started


bench = Bench("bench-compressed")
payload = dll_payload(bench)
payload_bytes = sum(p.stat().st_size for p in payload.rglob("*") if p.is_file())
setups = {
    "ours compressed": timed(lambda: bench.pack(payload, "ours-compressed")),
    "ours stored": timed(lambda: bench.pack(payload, "ours-stored", extra_args=["--store"])),
    "NSIS LZMA-solid": timed(lambda: bench.nsis(payload, "nsis-lzma", stored=False)),
    "NSIS stored": timed(lambda: bench.nsis(payload, "nsis-stored", stored=True)),
}


def run(name):
    setup = setups[name][0]
    return (bench.ours(setup) if name.startswith("ours") else bench.launch(setup))[0]


with bench:
    for name in setups:
        run(name)  # warm-up, not counted
    times = interleaved(ROUNDS, {name: (lambda n=name: run(n)) for name in setups})

peer_size = setups["NSIS LZMA-solid"][0].stat().st_size
peer_time = median(times["NSIS LZMA-solid"])
stored_time = median(times["ours stored"])
rows = []
for name, (setup, packing) in setups.items():
    size = setup.stat().st_size
    elapsed = median(times[name])
    rows.append([name, f"{size / 2**20:.1f}", f"{size / peer_size:.3f}", f"{elapsed:.0f}", f"{elapsed / peer_time:.3f}",
                 f"{elapsed / stored_time:.3f}", f"{packing:.0f}"])
print_table(f"Compressed payload: Setup.exe and {len(list((payload / 'bin').iterdir()))} DLLs, "
            f"{payload_bytes / 2**20:.1f} MiB (medians of {ROUNDS} interleaved rounds)",
            ["setup file", "MiB", "/ LZMA", "start to payload ms", "/ LZMA", "/ ours stored", "packing s"], rows)
