#!/usr/bin/env bash
# Runs one Windows test program under Wine in the test run's prefix, with a time limit.
#   run.sh [--gui] STATE_DIR ARCH WIN_BUILD_DIR WIN64_BUILD_DIR PROGRAM.exe [ARGS...]
# PROGRAM.exe is a path inside the Windows build: the 32-bit one, or its 64-bit twin where only
# 64-bit programs run (machine-check.sh).
# --gui: the program uses the display; no key, button or window is left there before or after
# it (tests/e2e/gui_state.py).
# Exits 77 with the reason where no Windows program can run, and where the test needs 32-bit
# programs (BRENNIX_NEEDS_32_BIT_PROGRAMS holds why) but only 64-bit ones run.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
gui=0
if [ "${1:-}" = --gui ]; then
  gui=1
  shift
fi
verdict=$("$here/machine-check.sh")
status=$?
if [ "$status" -ne 0 ]; then
  echo "$verdict"
  exit "$status"
fi
win_build=$3 win64_build=$4 program=$5
if [ "${verdict%% *}" = 64 ]; then
  if [ -n "${BRENNIX_NEEDS_32_BIT_PROGRAMS:-}" ]; then
    echo "SKIP: ${verdict#64 }; this test needs 32-bit programs: $BRENNIX_NEEDS_32_BIT_PROGRAMS"
    exit 77
  fi
  echo "note: ${verdict#64 }"
  win_build=$win64_build
fi
. "$here/env.sh" "$1" "$2"  # sets state_dir, arch and WINE
shift 5
if [ "$gui" = 0 ]; then
  exec timeout --kill-after=10 "${BRENNIX_WINE_TIMEOUT:-600}" "$WINE" "$win_build/$program" "$@" </dev/null
fi

settle_display() {
  BRENNIX_WINE_STATE_DIR="$state_dir" python3 "$here/../e2e/gui_state.py" release "$arch" </dev/null
}
settle_display || exit 1
timeout --kill-after=10 "${BRENNIX_WINE_TIMEOUT:-600}" "$WINE" "$win_build/$program" "$@" </dev/null
status=$?
settle_display || exit 1
exit "$status"
