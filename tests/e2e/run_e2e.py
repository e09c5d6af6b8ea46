"""Runs one end-to-end test file for ctest:  run_e2e.py TEST_FILE.py

Every test of the file runs as with unittest's own runner, verbosely. On a machine that cannot
run the Windows programs under test (tests/wine/machine-check.sh), the Wine test cases are left
out and said to be skipped, as are the tests marked harness.runs_windows_programs. On one that runs
only 64-bit programs, the tests marked harness.needs_32_bit_programs are left out with their
reasons. A file in which every test was left out or skipped ends with ctest's skip code, so the
run shows it as skipped, never as passed.
"""
import sys
import unittest
from pathlib import Path

import harness


def each_test(suite):
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from each_test(item)
        else:
            yield item


def main() -> int:
    script = Path(sys.argv[1]).resolve()
    suite = unittest.TestLoader().discover(str(script.parent), pattern=script.name, top_level_dir=str(script.parent))
    tests = list(each_test(suite))
    reason = harness.reason_windows_programs_cannot_run()
    if reason:
        kept = [test for test in tests if not isinstance(test, harness.WineTestCase)]
        print(f"{reason}: {len(tests) - len(kept)} of {len(tests)} tests in {script.name} skipped", flush=True)
    elif harness.ONLY_64_BIT:
        kept = []
        for test in tests:
            why = harness.reason_needs_32_bit_programs(test)
            if why:
                print(f"SKIP {test.id()}: it needs 32-bit programs ({why}), and this machine runs only 64-bit ones",
                      flush=True)
            else:
                kept.append(test)
        print(f"{len(tests) - len(kept)} of {len(tests)} tests in {script.name} need 32-bit programs: skipped;"
              f" the others run the 64-bit twin of the Windows build", flush=True)
    else:
        kept = tests
    if not kept:
        return harness.SKIP_CODE
    result = unittest.TextTestRunner(verbosity=2).run(unittest.TestSuite(kept))
    if not result.wasSuccessful():
        return 1
    return harness.SKIP_CODE if len(result.skipped) == result.testsRun else 0


if __name__ == "__main__":
    sys.exit(main())
