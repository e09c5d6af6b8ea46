#!/usr/bin/env bash
# Packs a sample payload into a setup file, runs it silently under Wine with a log, prints the
# log and the exit code and saves a screenshot of the demo installer (build/demo-screenshot.png).
set -euo pipefail
build_dir=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
state_dir="$build_dir/demo-wine"
trap '"$here/tests/wine/fixture.sh" cleanup "$state_dir"' EXIT
BRENNIX_KEEP_PREFIX=1 "$here/tests/wine/fixture.sh" setup "$state_dir" >/dev/null
BRENNIX_SOURCE_DIR="$here" BRENNIX_NATIVE_BUILD_DIR="$build_dir/native" BRENNIX_WIN_BUILD_DIR="$build_dir/win" \
BRENNIX_WINE_STATE_DIR="$state_dir" PYTHONPATH="$here/tests/e2e" python3 "$here/tools/demo.py"
