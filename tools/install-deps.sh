#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian machine.
# Safe to run again: it only installs what is missing. Prints one line per step with its time;
# the package manager's own output goes to build/install-deps.log and is shown only when a
# step fails.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  wine wine32:i386 wine64
  xvfb xauth xdotool imagemagick osslsigncode openssl
  fonts-dejavu-core fonts-wine libx11-dev libxtst6 python3 googletest libgtest-dev
  librsvg2-bin fonts-inter
  nsis
  python3-pefile icoutils
)

here=$(cd "$(dirname "$0")/.." && pwd)
log="$here/build/install-deps.log"

# step TITLE COMMAND...: runs the command with its output in the log, then prints the title and
# how long it took; on failure also the log's end, and stops the script.
step() {
  local title=$1
  shift
  local started=$SECONDS
  echo "== $title" >>"$log"
  if "$@" >>"$log" 2>&1; then
    printf '%-44s %4ds\n' "$title" $((SECONDS - started))
  else
    local status=$?
    printf '%-44s FAILED after %ds (exit code %d)\n' "$title" $((SECONDS - started)) "$status"
    echo "---- last lines of $log ----"
    tail -n 40 "$log"
    exit "$status"
  fi
}

# Installs the packages of the list that are missing; one line when none is.
install_missing_packages() {
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    echo "All ${#packages[@]} packages are installed"
    return
  fi
  echo "Installing ${#missing[@]} missing packages (full output: $log)"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    step "add the i386 architecture" "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  step "update the package lists" "${sudo_cmd[@]}" apt-get update
  step "install ${#missing[@]} packages" "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

mkdir -p "$(dirname "$log")"
: >"$log"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive

install_missing_packages
