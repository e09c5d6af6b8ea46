#!/bin/sh
# Runs one libFuzzer target for a bounded time.
#   run_fuzzer.sh SECONDS FUZZER CORPUS [REGRESSION_FOLDER]
# BRENNIX_FUZZ_SECONDS in the environment (make fuzz FUZZ_SECONDS=N) overrides the target's own
# time. The inputs in REGRESSION_FOLDER (once found crashing) are run first, every time.
set -eu
seconds=${BRENNIX_FUZZ_SECONDS:-$1}
fuzzer=$2
shift 2
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$@"
