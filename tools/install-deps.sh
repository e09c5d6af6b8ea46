#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian machine, and fetches
# Debian's zstd source package into BUILD_DIR/third_party (the Windows build compiles it).
# Safe to run again: it only installs and fetches what is missing.
#   tools/install-deps.sh [BUILD_DIR]
set -euo pipefail

build_dir=${1:-build}

packages=(
  cmake make g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  wine wine32:i386 wine64
  xvfb xauth xdotool imagemagick osslsigncode openssl
  fonts-dejavu-core fonts-wine libx11-dev python3 googletest libgtest-dev
  librsvg2-bin fonts-inter
  libzstd-dev zstd dpkg-dev nsis
)

sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
export DEBIAN_FRONTEND=noninteractive

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo_cmd dpkg --add-architecture i386
  fi
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}"
fi

# zstd for mingw: the source of the same version as the installed libzstd-dev, from the
# machine's own Debian sources turned into source entries.
zstd_dir="$build_dir/third_party/zstd"
[ -f "$zstd_dir/lib/zstd.h" ] && exit 0

source_list=/etc/apt/sources.list.d/brennix-deb-src.sources
if ! apt-get source --print-uris zstd >/dev/null 2>&1; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $sudo_cmd tee "$source_list" >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed -e 's/^deb /deb-src /' |
      $sudo_cmd tee /etc/apt/sources.list.d/brennix-deb-src.list >/dev/null
  fi
  $sudo_cmd apt-get update -qq
fi
# The installed library's version first; a suite whose archive lacks that source (security
# updates are sometimes missing from mirrors) falls back to the other versions it lists.
installed=$(dpkg-query -W -f='${source:Version}' libzstd-dev)
versions=$(apt-cache showsrc libzstd | awk '/^Version:/ {print $2}' | grep -vxF "$installed" || true)
fetch_dir="$build_dir/third_party/fetch"
rm -rf "$fetch_dir" "$zstd_dir"
mkdir -p "$fetch_dir"
chmod 777 "$fetch_dir"  # apt's download user writes there
for version in $installed $versions; do
  if (cd "$fetch_dir" && apt-get source -qq --download-only "libzstd=$version" 2>/dev/null); then
    (cd "$fetch_dir" && dpkg-source -x ./libzstd_*.dsc src >/dev/null)
    mv "$fetch_dir/src" "$zstd_dir"
    break
  fi
  rm -rf "${fetch_dir:?}"/*
done
rm -rf "$fetch_dir"
[ -f "$zstd_dir/lib/zstd.h" ] || { echo "could not fetch the zstd source package" >&2; exit 1; }
