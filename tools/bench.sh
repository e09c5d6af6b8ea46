#!/usr/bin/env bash
# Timings as ratios against baselines measured in the same run: the stub's unpack-and-launch
# under Wine against the floor and NSIS 3 (tools/bench.py, with tools/bench/benchkit.py for any
# further bench script) and the packer against cp (tests/pack/bench_pack.sh).
set -euo pipefail
build_dir=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
state_dir="$build_dir/bench-wine"
trap '"$here/tests/wine/fixture.sh" cleanup "$state_dir"' EXIT
BRENNIX_KEEP_PREFIX=1 "$here/tests/wine/fixture.sh" setup "$state_dir" >/dev/null
BRENNIX_SOURCE_DIR="$here" BRENNIX_NATIVE_BUILD_DIR="$build_dir/native" BRENNIX_WIN_BUILD_DIR="$build_dir/win" BRENNIX_WIN64_BUILD_DIR="$build_dir/win64" \
BRENNIX_WINE_STATE_DIR="$state_dir" PYTHONPATH="$here/tests/e2e" python3 "$here/tools/bench.py"
BRENNIX_SOURCE_DIR="$here" BRENNIX_NATIVE_BUILD_DIR="$build_dir/native" BRENNIX_WIN_BUILD_DIR="$build_dir/win" BRENNIX_WINE_STATE_DIR="$state_dir" PYTHONPATH="$here/tests/e2e" python3 "$here/tools/bench/compressed.py"
"$here/tests/pack/bench_pack.sh" "$build_dir"
