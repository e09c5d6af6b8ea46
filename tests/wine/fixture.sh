#!/usr/bin/env bash
# The Wine fixture of a test run.
#   fixture.sh setup STATE_DIR    a private Xvfb display and fresh prefixes win32 and win64 (only
#                                 win64 where the machine runs no 32-bit programs), each with a
#                                 warm persistent wineserver
#   fixture.sh cleanup STATE_DIR  stops the wineservers and the display
# Setup exits 77 with the reason where this machine cannot run Windows programs (machine-check.sh).
# BRENNIX_KEEP_PREFIX=1 reuses prefixes left by an earlier run (quicker when iterating).
set -euo pipefail
action=$1
state_dir=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$state_dir"

start_display() {
  if [ -f "$state_dir/xvfb.pid" ] && kill -0 "$(cat "$state_dir/xvfb.pid")" 2>/dev/null; then
    return
  fi
  # Xvfb picks a free display number itself (its lock files make that safe against other test
  # runs starting at the same moment) and writes it to the descriptor once it accepts clients.
  local number_file="$state_dir/display.number"
  rm -f "$number_file"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" </dev/null >/dev/null 2>&1 &
  local pid=$!
  for _ in $(seq 1 100); do
    [ -s "$number_file" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if ! [ -s "$number_file" ] || ! kill -0 "$pid" 2>/dev/null; then
    echo "fixture: Xvfb did not start" >&2
    exit 1
  fi
  echo "$pid" >"$state_dir/xvfb.pid"
  echo ":$(tr -d '[:space:]' <"$number_file")" >"$state_dir/display"
  rm -f "$number_file"
}

make_prefix() {
  local arch=$1
  (
    . "$here/env.sh" "$state_dir" "$arch"
    if [ "${BRENNIX_KEEP_PREFIX:-0}" != 1 ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineserver -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
      # A fresh prefix trusts no test signer yet (tests/e2e/harness.py: sign).
      rm -f "$state_dir/signing/trusted-$arch"
      "$WINE" wineboot -i </dev/null >/dev/null 2>&1
      wineserver -w </dev/null >/dev/null 2>&1
      # Windows close at once without a window manager's round trip, and get title bars.
      "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
      # Wine's own Tahoma, which the dialogs name, is not picked up by default.
      for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
        [ -f "/usr/share/wine/fonts/$font" ] && cp "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
      done
      wineserver -w </dev/null >/dev/null 2>&1
    fi
    # The persistent server must not hold the caller's output open, or ctest waits for it.
    wineserver -p </dev/null >/dev/null 2>&1 || true  # already running: keep it
    "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
  )
}

case "$action" in
  setup)
    # Where no Windows program can run, there is nothing to prepare: the tests skip themselves.
    verdict=$("$here/machine-check.sh") || { echo "$verdict"; exit 77; }
    start_display
    if [ "${verdict%% *}" = 32 ]; then
      make_prefix win32
    else
      echo "note: ${verdict#64 }"
    fi
    make_prefix win64
    # Every run of the stub passes its .NET check unless a test says otherwise.
    BRENNIX_WINE_STATE_DIR="$state_dir" python3 "$here/../e2e/harness.py" install-net48
    ;;
  cleanup)
    for arch in win32 win64; do
      (. "$here/env.sh" "$state_dir" "$arch"; [ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null || true)
    done
    if [ -f "$state_dir/xvfb.pid" ]; then
      kill "$(cat "$state_dir/xvfb.pid")" 2>/dev/null || true
      rm -f "$state_dir/xvfb.pid" "$state_dir/display"
    fi
    ;;
  *)
    echo "usage: fixture.sh setup|cleanup STATE_DIR" >&2
    exit 2
    ;;
esac
