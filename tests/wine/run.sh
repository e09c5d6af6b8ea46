#!/usr/bin/env bash
# Runs one Windows test program under Wine in the test run's prefix, with a time limit.
#   run.sh STATE_DIR ARCH PROGRAM.exe [ARGS...]
# Exits 77 with the reason where this machine cannot run 32-bit programs (machine-check.sh).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/machine-check.sh" || exit $?
. "$here/env.sh" "$1" "$2"
shift 2
exec timeout --kill-after=10 "${BRENNIX_WINE_TIMEOUT:-600}" wine "$@" </dev/null
