#!/usr/bin/env bash
# Runs one Windows test program under Wine in the test run's prefix, with a time limit.
#   run.sh [--gui] STATE_DIR ARCH PROGRAM.exe [ARGS...]
# --gui: the program uses the display; no key, button or window is left there before or after
# it (tests/e2e/gui_state.py).
# Exits 77 with the reason where this machine cannot run 32-bit programs (machine-check.sh).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
gui=0
if [ "${1:-}" = --gui ]; then
  gui=1
  shift
fi
"$here/machine-check.sh" || exit $?
. "$here/env.sh" "$1" "$2"  # sets state_dir and arch
shift 2
if [ "$gui" = 0 ]; then
  exec timeout --kill-after=10 "${BRENNIX_WINE_TIMEOUT:-600}" wine "$@" </dev/null
fi

settle_display() {
  BRENNIX_WINE_STATE_DIR="$state_dir" python3 "$here/../e2e/gui_state.py" release "$arch" </dev/null
}
settle_display || exit 1
timeout --kill-after=10 "${BRENNIX_WINE_TIMEOUT:-600}" wine "$@" </dev/null
status=$?
settle_display || exit 1
exit "$status"
