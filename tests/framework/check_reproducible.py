"""Checks that builds and packs are reproducible: the stub and its twin (built again from the same
sources into twin/) are byte-identical and carry no build time in the PE header, and packing the
same stub with the same payload twice gives byte-identical setup files.

Usage: check_reproducible.py WIN_BUILD_DIR BRENNIX_PACK
"""
import filecmp
import subprocess
import sys
import tempfile
from pathlib import Path


def pe_time_stamp(path: Path) -> int:
    image = path.read_bytes()
    pe = int.from_bytes(image[0x3C:0x40], "little")
    if image[pe:pe + 4] != b"PE\0\0":
        raise SystemExit(f"{path}: not a PE file")
    return int.from_bytes(image[pe + 8:pe + 12], "little")


def main() -> int:
    win_build, pack = Path(sys.argv[1]), sys.argv[2]
    stub, twin = win_build / "BrennixInstaller.exe", win_build / "twin" / "BrennixInstaller.exe"
    problems = []
    if not filecmp.cmp(stub, twin, shallow=False):
        problems.append(f"{stub} and {twin}, built from the same sources, differ")
    if pe_time_stamp(stub) != 0:
        problems.append(f"{stub} carries a build time in its PE header ({pe_time_stamp(stub)})")
    with tempfile.TemporaryDirectory() as work:
        payload = Path(work) / "payload"
        (payload / "lib").mkdir(parents=True)
        (payload / "Setup.exe").write_bytes(b"MZ" + bytes(range(256)) * 40)
        (payload / "lib" / "data.bin").write_bytes(bytes(5000))
        outputs = []
        for name in ("first.exe", "second.exe"):
            output = Path(work) / name
            subprocess.run([pack, "--stub", str(stub), "--out", str(output), "--payload", str(payload),
                            "--set", "1=Reproducible"], check=True, capture_output=True)
            outputs.append(output)
        if not filecmp.cmp(*outputs, shallow=False):
            problems.append("two packs of the same stub and payload differ")
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
