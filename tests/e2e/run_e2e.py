"""Runs one end-to-end test file for ctest:  run_e2e.py TEST_FILE.py

Every test of the file runs as with unittest's own runner, verbosely. On a machine that cannot
run the Windows programs under test (tests/wine/machine-check.sh), the Wine test cases are left
out and said to be skipped, as are the tests marked harness.runs_windows_programs; a file in which
nothing else ran then ends with ctest's skip code, so the run shows it as skipped, never as passed.
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
    reason = harness.reason_windows_programs_cannot_run()
    if reason:
        tests = list(each_test(suite))
        kept = [test for test in tests if not isinstance(test, harness.WineTestCase)]
        print(f"{reason}: {len(tests) - len(kept)} of {len(tests)} tests in {script.name} skipped", flush=True)
        if not kept:
            return harness.SKIP_CODE
        suite = unittest.TestSuite(kept)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    if not result.wasSuccessful():
        return 1
    return harness.SKIP_CODE if reason and len(result.skipped) == result.testsRun else 0


if __name__ == "__main__":
    sys.exit(main())
