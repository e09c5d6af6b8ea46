"""The benchmark of the stub under Wine, measured in one run and printed as one table against two
baselines of the same run: the floor (tools/bench/Floor.c: only what the job needs, packed and
signed like ours) and NSIS 3 (tools/bench/Peer.nsi, stored and LZMA-solid, no signature check).

Runs are interleaved (ours, floor, NSIS, ours, floor, NSIS, ...) and ours / floor is the median of
the ratios of each round, so drift of the shared machine hits both alike. "Unpacking alone" is
the 256 MiB run less the tiny run less the extra hashing of the bigger file, against CopyFileW
of the same bytes."""
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent / "bench"))

from benchkit import Bench, interleaved, median, pairwise_ratio, print_table  # noqa: E402
from harness import stub_exe  # noqa: E402

BIG_MIB = 256
TINY_ROUNDS = 7
BIG_ROUNDS = 3


def ms(value):
    return f"{value:.0f} ms"


def ratio(triple):
    middle, low, high = triple
    return f"{middle:.2f} ({low:.2f}-{high:.2f})"


def section_sizes(exe):
    """{section name: size} of a PE file, by objdump."""
    lines = subprocess.run(["i686-w64-mingw32-objdump", "-h", str(exe)], check=True, capture_output=True,
                           text=True).stdout.splitlines()
    sizes = {}
    for line in lines:
        fields = line.split()
        if len(fields) >= 3 and fields[0].isdigit():
            sizes[fields[1]] = int(fields[2], 16)
    return sizes


def time_stamp(exe):
    image = Path(exe).read_bytes()
    pe = int.from_bytes(image[0x3C:0x40], "little")
    return int.from_bytes(image[pe + 8:pe + 12], "little")


bench = Bench()
tiny = bench.payload("tiny")
big = bench.payload("big", BIG_MIB)
setups = {
    # Stored, like the floor and the NSIS runs it is compared with (tools/bench/compressed.py
    # measures the compressed payload).
    "ours": (bench.pack(tiny, "ours-tiny", extra_args=["--store"]),
             bench.pack(big, "ours-big", extra_args=["--store"])),
    "floor": (bench.floor(tiny, "floor-tiny"), bench.floor(big, "floor-big")),
    "nsis": (bench.nsis(tiny, "nsis-tiny", stored=True), bench.nsis(big, "nsis-big", stored=True)),
    "lzma": (bench.nsis(tiny, "lzma-tiny", stored=False), None),
}

with bench:
    # One warm-up run each, not counted.
    bench.ours(setups["ours"][0])
    for name in ("floor", "nsis", "lzma"):
        bench.launch(setups[name][0])
    small = interleaved(TINY_ROUNDS, {
        "ours": lambda: bench.ours(setups["ours"][0]),
        "floor": lambda: bench.launch(setups["floor"][0]),
        "nsis": lambda: bench.launch(setups["nsis"][0]),
        "lzma": lambda: bench.launch(setups["lzma"][0]),
        "verify": lambda: bench.verify(setups["ours"][0]),
    })
    large = interleaved(BIG_ROUNDS, {
        "ours": lambda: bench.ours(setups["ours"][1]),
        "floor": lambda: bench.launch(setups["floor"][1]),
        "nsis": lambda: bench.launch(setups["nsis"][1]),
        "verify": lambda: bench.verify(setups["ours"][1]),
        "copy": lambda: bench.copy(big / "data.bin"),
    })


def column(results, name, index):
    return [run[index] for run in results[name]]


def started(results, name):
    return column(results, name, 0)


rows = []
for label, results, names in (("tiny", small, ("ours", "floor", "nsis", "lzma")),
                              (f"{BIG_MIB} MiB", large, ("ours", "floor", "nsis"))):
    for index, what in ((0, "start -> payload"), (1, "start -> exit")):
        cells = [ms(median(column(results, name, index))) for name in names]
        rows.append([f"{label}: {what}", *cells, *["-"] * (4 - len(cells))])
rows.append(["setup file, tiny payload", *[f"{setups[name][0].stat().st_size:,} B" for name in ("ours", "floor", "nsis", "lzma")]])
print_table(f"Setup files under Wine (medians; tiny of {TINY_ROUNDS} rounds, {BIG_MIB} MiB of {BIG_ROUNDS})",
            ["figure", "ours", "floor", "NSIS stored", "NSIS LZMA"], rows)

verify_tiny, verify_big = median(small["verify"]), median(large["verify"])
copy = median(large["copy"])


def unpacking(name):
    """The big run less the tiny run less the extra hashing, per CopyFileW of the same bytes."""
    extra = median(started(large, name)) - median(started(small, name))
    if name == "ours" or name == "floor":
        extra -= verify_big - verify_tiny
    return extra / copy


def less_check(results, check):
    """Our start -> payload times less our signature check measured alone."""
    return [a - check for a in started(results, "ours")]


stub = stub_exe()
sections = section_sizes(stub)
print_table("Ratios (pairwise medians of interleaved runs, min-max in brackets)", ["figure", "value"], [
    ["ours / floor, tiny, start -> payload", ratio(pairwise_ratio(started(small, "ours"), started(small, "floor")))],
    ["ours / floor, tiny, start -> exit", ratio(pairwise_ratio(column(small, "ours", 1), column(small, "floor", 1)))],
    [f"ours / floor, {BIG_MIB} MiB, start -> payload", ratio(pairwise_ratio(started(large, "ours"), started(large, "floor")))],
    [f"ours / floor, {BIG_MIB} MiB, start -> exit", ratio(pairwise_ratio(column(large, "ours", 1), column(large, "floor", 1)))],
    ["ours / NSIS stored, tiny, start -> payload", ratio(pairwise_ratio(started(small, "ours"), started(small, "nsis")))],
    ["  less our signature check", ratio(pairwise_ratio(less_check(small, verify_tiny), started(small, "nsis")))],
    [f"ours / NSIS stored, {BIG_MIB} MiB, start -> payload", ratio(pairwise_ratio(started(large, "ours"), started(large, "nsis")))],
    ["  less our signature check", ratio(pairwise_ratio(less_check(large, verify_big), started(large, "nsis")))],
    [f"unpacking alone / CopyFileW ({ms(copy)}), ours", f"{unpacking('ours'):.2f}"],
    ["  floor", f"{unpacking('floor'):.2f}"],
    ["  NSIS stored (no hashing to take off)", f"{unpacking('nsis'):.2f}"],
    ["signature check alone, tiny / 256 MiB", f"{ms(verify_tiny)} / {ms(verify_big)}"],
    ["BrennixInstaller.exe", f"{stub.stat().st_size:,} B"],
    ["  all but .rsrc", f"{stub.stat().st_size - sections.get('.rsrc', 0):,} B"],
    ["  debug sections", ", ".join(k for k in sections if k.startswith(".debug")) or "none"],
    ["  build time in the PE header", str(time_stamp(stub) or "none")],
])
