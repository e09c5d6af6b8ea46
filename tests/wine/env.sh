# Sourced with: . env.sh STATE_DIR ARCH — the environment for running Windows programs in the
# test run's private prefix of that architecture (win32 or win64).
state_dir=$(realpath -m "$1")
arch=${2:-win32}
export WINEPREFIX="$state_dir/prefix-$arch"
export WINEARCH="$arch"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -f "$state_dir/display" ]; then
  export DISPLAY="$(cat "$state_dir/display")"
fi
unset XAUTHORITY
