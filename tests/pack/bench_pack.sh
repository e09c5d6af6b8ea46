#!/usr/bin/env bash
# Benchmark (not a test): packing a 256 MiB payload against copying the same bytes with cp.
#   tests/pack/bench_pack.sh [BUILD_DIR]      (default: build)
# Stored, not compressed: this measures the streaming of raw payload files.
# Prints the best of three runs of each and their ratio; packing streams, so it should stay
# within a small factor of cp.
set -euo pipefail
build_dir=${1:-build}
pack="$build_dir/native/tools/pack/brennix-pack"
stub="$build_dir/win/BrennixInstaller.exe"
for needed in "$pack" "$stub"; do
  [ -e "$needed" ] || { echo "bench_pack: $needed is not built (make build)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/payload"
head -c $((256 * 1024 * 1024)) /dev/urandom >"$work/payload/data.bin"
printf 'MZ' >"$work/payload/Setup.exe"
sync

# Best wall-clock seconds of three runs of a command.
best_of_three() {
  local best=""
  for _ in 1 2 3; do
    local start end elapsed
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    elapsed=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
    if [ -z "$best" ] || awk -v e="$elapsed" -v b="$best" 'BEGIN { exit !(e < b) }'; then best=$elapsed; fi
  done
  echo "$best"
}

copy=$(best_of_three cp "$work/payload/data.bin" "$work/copy.bin")
packing=$(best_of_three "$pack" --stub "$stub" --out "$work/setup.exe" --payload "$work/payload" --store)
awk -v p="$packing" -v c="$copy" \
  'BEGIN { printf "pack 256 MiB payload: %.3f s   cp of the same bytes: %.3f s   ratio pack/cp: %.2f\n", p, c, p / c }'
