#!/usr/bin/env bash
# Runs one Windows test program under Wine in the test run's prefix, with a time limit.
#   run.sh STATE_DIR ARCH WIN_BUILD_DIR WIN64_BUILD_DIR PROGRAM.exe [ARGS...]
# PROGRAM.exe is a path inside the Windows build: the 32-bit one, or its 64-bit twin where only
# 64-bit programs run (machine-check.sh). Exits 77 with the reason where no Windows program can
# run, and where the test needs 32-bit programs (BRENNIX_NEEDS_32_BIT_PROGRAMS holds why) but
# only 64-bit ones run.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
verdict=$("$here/machine-check.sh")
status=$?
if [ "$status" -ne 0 ]; then
  echo "$verdict"
  exit "$status"
fi
state_dir=$1 arch=$2 win_build=$3 win64_build=$4 program=$5
shift 5
if [ "${verdict%% *}" = 64 ]; then
  if [ -n "${BRENNIX_NEEDS_32_BIT_PROGRAMS:-}" ]; then
    echo "SKIP: ${verdict#64 }; this test needs 32-bit programs: $BRENNIX_NEEDS_32_BIT_PROGRAMS"
    exit 77
  fi
  echo "note: ${verdict#64 }"
  win_build=$win64_build
fi
. "$here/env.sh" "$state_dir" "$arch"
exec timeout --kill-after=10 "${BRENNIX_WINE_TIMEOUT:-600}" "$WINE" "$win_build/$program" "$@" </dev/null
