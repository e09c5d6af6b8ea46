#!/usr/bin/env bash
# Packs the demo installer with a large payload into a setup file and runs it under Wine: once as
# a user would, saving pictures of the splash with its progress (build/demo-splash.png) and of the
# demo installer's window (build/demo-screenshot.png); once silently with a log, printing the log
# and the exit code.
set -euo pipefail
build_dir=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
state_dir="$build_dir/demo-wine"
trap '"$here/tests/wine/fixture.sh" cleanup "$state_dir"' EXIT
BRENNIX_KEEP_PREFIX=1 "$here/tests/wine/fixture.sh" setup "$state_dir" >/dev/null
BRENNIX_SOURCE_DIR="$here" BRENNIX_NATIVE_BUILD_DIR="$build_dir/native" BRENNIX_WIN_BUILD_DIR="$build_dir/win" BRENNIX_WIN64_BUILD_DIR="$build_dir/win64" \
BRENNIX_WINE_STATE_DIR="$state_dir" PYTHONPATH="$here/tests/e2e" python3 "$here/tools/demo.py"
