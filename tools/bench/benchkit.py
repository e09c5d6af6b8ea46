"""Shared pieces of the benchmark (make bench), for tools/bench.py and any further bench script
that tools/bench.sh runs: payload folders, setup files of ours, of the floor (tools/bench/Floor.c)
and of NSIS 3 (tools/bench/Peer.nsi), the timer run under Wine, interleaved rounds and the
printed table.

Our setup files and the floor are packed by brennix-pack and signed by a test CA made for the run
and trusted in the bench prefix, so their signature checks are part of their times. NSIS checks
no signature: its files stay unsigned."""
import os
import statistics
import subprocess
import time
from pathlib import Path

from harness import Wine, native_tool, quote_argument, stub_exe, win_program
from signing import TestCertificates, trusted_root

HERE = Path(__file__).resolve().parent
PROGRAM = "Setup.exe"


class Bench:
    """One bench run: a scratch folder in the win32 prefix, a signer, and while entered, the test
    CA trusted and Wine's desktop kept running."""

    def __init__(self, name="bench"):
        self.wine = Wine("win32")
        self.folder = self.wine.scratch(name)
        self.certificates = TestCertificates("Brennix Bench CA")
        self.signer = self.certificates.issue("bench", "Brennix Bench Publisher")
        self._root = trusted_root(self.wine, self.certificates)
        self._keeper = None

    def __enter__(self):
        self._keeper = self._keep_desktop_running()
        self._root.__enter__()
        return self

    def __exit__(self, *exc):
        self._root.__exit__(None, None, None)
        self.certificates.close()
        self._keeper.terminate()
        self._keeper.wait()

    def _keep_desktop_running(self):
        """A program with a hidden window that lingers: it keeps Wine's desktop process alive, so
        that a run measured here does not also pay for starting it (about 0.7 s), which a window
        call would otherwise trigger in one program and not in another."""
        env = dict(self.wine.env, BRENNIX_PAYLOAD_WINDOW="hidden", BRENNIX_PAYLOAD_LINGER="3600000")
        keeper = subprocess.Popen([self.wine.loader, str(win_program("payload"))], env=env, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(3)
        return keeper

    def payload(self, name, mib=0, data=None):
        """A payload folder: the test payload as Setup.exe and, with mib, data.bin of that many
        MiB of random bytes, or of what data(mib_index) gives for each MiB."""
        folder = self.folder / name
        folder.mkdir()
        (folder / PROGRAM).write_bytes(win_program("payload").read_bytes())
        if mib:
            with open(folder / "data.bin", "wb") as out:
                for index in range(mib):
                    out.write(data(index) if data else os.urandom(1 << 20))
        return folder

    def pack(self, payload, name, stub=None, extra_args=()):
        """A signed setup file of `stub` (ours by default) with the payload folder."""
        unsigned = self.folder / f"{name}.unsigned.exe"
        subprocess.run([str(native_tool("brennix-pack")), "--stub", str(stub or stub_exe()), "--out", str(unsigned),
                        "--payload", str(payload), *extra_args], check=True, capture_output=True)
        setup = self.folder / f"{name}.exe"
        self.signer.sign(unsigned, setup)
        unsigned.unlink()
        return setup

    def floor(self, payload, name):
        """The floor program packed with the payload (stored: it writes the raw resources) and
        signed like ours."""
        return self.pack(payload, name, stub=win_program("bench_floor"), extra_args=["--store"])

    def nsis(self, payload, name, stored):
        """An NSIS setup file of the payload: stored, or LZMA-solid."""
        setup = self.folder / f"{name}.exe"
        defines = [f"-DPAYLOAD={payload}", f"-DPROGRAM={PROGRAM}", f"-DOUTFILE={setup}"]
        if stored:
            defines.append("-DSTORED")
        subprocess.run(["makensis", "-V1", *defines, str(HERE / "Peer.nsi")], check=True, capture_output=True)
        return setup

    def timer(self, *args):
        result = self.wine.run(win_program("launch_timer"), args, timeout=900)
        if result.returncode != 0:
            raise SystemExit(f"launch_timer {args[0]} failed: {result.stderr.decode(errors='replace')}")
        return [float(value) for value in result.stdout.decode().split()]

    def launch(self, setup, args=()):
        """(start to payload start, start to exit) in ms of one run of a setup file."""
        command_line = " ".join(quote_argument(a) for a in [self.wine.win_path(setup), *args])
        started, exited = self.timer("launch", self.wine.win_path(self.folder / "report.txt"), command_line)
        return started, exited

    def ours(self, setup):
        """A silent run of our setup file with a working folder in the bench folder."""
        base = self.folder / "tmp"
        base.mkdir(exist_ok=True)
        return self.launch(setup, ["temp", self.wine.win_path(base), "/IAgreeToTheEULA"])

    def verify(self, file):
        """ms of our signature check of a file, in a process of its own."""
        return self.timer("verify", self.wine.win_path(file))[0]

    def copy(self, source):
        """ms of one CopyFileW of a file."""
        return self.timer("copy", self.wine.win_path(source), self.wine.win_path(self.folder / "copy.bin"))[0]


def interleaved(rounds, measures):
    """Runs each measure once per round, in turn (A B C A B C ...), so that the machine's drift
    hits all alike. {name: [result of each round]}."""
    results = {name: [] for name in measures}
    for _ in range(rounds):
        for name, measure in measures.items():
            results[name].append(measure())
    return results


def median(values):
    return statistics.median(values)


def pairwise_ratio(numerators, denominators):
    """Median, min and max of the ratios of the runs of the same round."""
    ratios = [a / b for a, b in zip(numerators, denominators)]
    return statistics.median(ratios), min(ratios), max(ratios)


def print_table(title, header, rows):
    """A plain-text table: a title, a header row and rows of cells (strings)."""
    widths = [max(len(str(row[i])) for row in [header, *rows]) for i in range(len(header))]
    print(f"== {title}")
    for row in [header, *rows]:
        print("  ".join(str(cell).ljust(widths[i]) if i == 0 else str(cell).rjust(widths[i])
                        for i, cell in enumerate(row)).rstrip())
