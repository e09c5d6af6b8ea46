# Sourced with: . env.sh STATE_DIR ARCH — the environment for running Windows programs in the
# test run's private prefix of that architecture (win32 or win64). Sets WINE, the loader to run
# them with, and BRENNIX_WINDOWS_BITS (machine-check.sh). Where only 64-bit programs run, every
# prefix is the 64-bit one and the loader is Wine's 64-bit one (/usr/bin/wine would pick the
# 32-bit loader, which the kernel refuses).
state_dir=$(realpath -m "$1")
arch=${2:-win32}
BRENNIX_WINDOWS_BITS=$("$(dirname "${BASH_SOURCE[0]}")/machine-check.sh" | cut -d' ' -f1)
if [ "$BRENNIX_WINDOWS_BITS" = 64 ]; then
  arch=win64
  export WINE=/usr/lib/wine/wine64
  export WINESERVER=/usr/lib/wine/wineserver64
else
  export WINE=wine
fi
export WINEPREFIX="$state_dir/prefix-$arch"
export WINEARCH="$arch"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -f "$state_dir/display" ]; then
  export DISPLAY="$(cat "$state_dir/display")"
fi
unset XAUTHORITY
