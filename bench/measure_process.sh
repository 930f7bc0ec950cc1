#!/usr/bin/env bash
# Measures one complete check (diameter 100, rho 7.85, reading 4.6 on
# standard input) as a whole process: user-space instructions counted by
# callgrind, which is deterministic, and peak resident memory, for
# korvimalet and for a plain C baseline with the same library calls.
# Fails if korvimalet needs more than 1.05 times the baseline's instructions
# or memory, loads the C++ runtime library, or runs the iostreams' static
# initialiser.
#
# usage: bench/measure_process.sh [korvimalet binary ...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binaries=("$@")
[ ${#binaries[@]} -gt 0 ] || binaries=("$here/../build/korvimalet")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cc -O2 -o "$scratch/baseline" "$here/baseline.c"
printf '100\n7.85\n4.6\n' > "$scratch/input"

instructions() {
  valgrind --tool=callgrind --callgrind-out-file="$scratch/callgrind.out" "$1" \
    < "$scratch/input" > /dev/null 2> "$scratch/callgrind.log"
  awk '/^summary:/ { print $2 }' "$scratch/callgrind.out"
}

# Peak resident memory varies by a few dozen pages from run to run, with
# where the kernel places things; the smallest of nine runs is steady.
peak_kib() {
  for _ in 1 2 3 4 5 6 7 8 9; do
    /usr/bin/time -f '%M' -o "$scratch/rss" "$1" < "$scratch/input" > /dev/null
    cat "$scratch/rss"
  done | sort -n | head -1
}

base_instructions=$(instructions "$scratch/baseline")
base_kib=$(peak_kib "$scratch/baseline")
printf '%-28s %14s %12s %10s\n' program instructions 'peak KiB' ratio
printf '%-28s %14d %12d %10s\n' 'baseline (plain C)' "$base_instructions" "$base_kib" 1.000
status=0
for binary in "${binaries[@]}"; do
  count=$(instructions "$binary")
  kib=$(peak_kib "$binary")
  ratio=$(awk -v a="$count" -v b="$base_instructions" 'BEGIN { printf "%.3f", a / b }')
  printf '%-28s %14d %12d %10s\n' "$(basename "$(dirname "$binary")")/$(basename "$binary")" \
    "$count" "$kib" "$ratio"
  if awk -v r="$ratio" 'BEGIN { exit !(r > 1.05) }'; then
    echo "$binary: more than 1.05 times the baseline's instructions" >&2
    status=1
  fi
  if awk -v a="$kib" -v b="$base_kib" 'BEGIN { exit !(a > 1.05 * b) }'; then
    echo "$binary: more than 1.05 times the baseline's peak memory" >&2
    status=1
  fi
  libraries=$(readelf -d "$binary" | awk '/\(NEEDED\)/ { gsub(/[][]/, "", $5); print $5 }' | xargs)
  echo "  shared libraries: ${libraries:-none (static)}"
  if [[ "$libraries" == *libstdc++* ]]; then
    echo "$binary: loads the C++ runtime library" >&2
    status=1
  fi
  if nm "$binary" 2>/dev/null | grep -q '_ZNSt8ios_base4Init'; then
    echo "$binary: runs the iostreams' static initialiser" >&2
    status=1
  fi
done
exit $status
