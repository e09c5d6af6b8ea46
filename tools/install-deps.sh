#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian machine, and fetches
# Debian's zstd source package into BUILD_DIR/third_party/zstd (the Windows build compiles it).
# Safe to run again: it only installs and fetches what is missing. Prints one line per step with
# its time; the package manager's own output goes to build/install-deps.log and is shown only
# when a step fails.
#   tools/install-deps.sh [BUILD_DIR]
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64
  xvfb xauth xdotool imagemagick osslsigncode openssl
  fonts-dejavu-core fonts-wine libx11-dev libxtst6 python3 googletest libgtest-dev
  librsvg2-bin fonts-inter
  nsis
  python3-pefile icoutils
  libzstd-dev zstd dpkg-dev
)

here=$(cd "$(dirname "$0")/.." && pwd)
log="$here/build/install-deps.log"
build_dir=${1:-$here/build}

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

# Source entries made from the machine's own binary entries, for the same suites.
add_source_entries() {
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/brennix-deb-src.sources
  else
    grep -E '^deb ' /etc/apt/sources.list | sed -e 's/^deb /deb-src /' |
      "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/brennix-deb-src.list
  fi
  "${sudo_cmd[@]}" apt-get update
}

# zstd for mingw: Debian's source package of the installed libzstd-dev's version, or, when the
# archive lacks that one (security updates are sometimes missing from mirrors), of another
# version the suites list.
fetch_zstd_source() {
  local target=$1 fetch="$1.fetch" installed versions version
  installed=$(dpkg-query -W -f='${source:Version}' libzstd-dev)
  versions=$(apt-cache showsrc libzstd | awk '/^Version:/ {print $2}' | grep -vxF "$installed" || true)
  rm -rf "$fetch" "$target"
  mkdir -p "$fetch"
  chmod 777 "$fetch"  # apt's download user writes there
  for version in $installed $versions; do
    if (cd "$fetch" && apt-get source --download-only "libzstd=$version"); then
      (cd "$fetch" && dpkg-source -x ./libzstd_*.dsc src)
      mv "$fetch/src" "$target"
      break
    fi
    rm -rf "${fetch:?}"/*
  done
  rm -rf "$fetch"
  [ -f "$target/lib/zstd.h" ]
}

if [ ! -f "$build_dir/third_party/zstd/lib/zstd.h" ]; then
  apt-get source --print-uris libzstd >/dev/null 2>&1 || step "add Debian source entries" add_source_entries
  step "fetch the zstd source package" fetch_zstd_source "$build_dir/third_party/zstd"
fi
