#!/usr/bin/env bash
# Measures one complete check (diameter 100, rho 7.85, reading 4.6 on
# standard input) as a whole process, for korvimalet and for a plain C
# baseline with the same library calls: user-space instructions counted by
# callgrind and heap bytes allocated as memcheck counts them, both the same
# on every run of the same binary, and peak resident memory, which varies
# from run to run.
# Every run has an empty environment: the C library's start-up reads each
# variable, about 440 instructions apiece for both programs, so the
# caller's environment (a login's, cron's, sudo's) would move the ratio,
# not korvimalet's own extra of about 7,140 instructions.
# Fails if korvimalet needs more than 1.06 times the baseline's instructions
# (1.052 measured, in folders of any name), more than 1.05 times its heap,
# more than 1.5 times its peak memory (a bound the run-to-run variation
# never reaches: in 100 runs the ratio stayed within 0.91 and 1.08), loads
# the C++ runtime library, or runs the iostreams' static initialiser.
#
# usage: bench/measure_process.sh [korvimalet binary ...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binaries=("$@")
[ ${#binaries[@]} -gt 0 ] || binaries=("$here/../build-default/korvimalet")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cc -O2 -o "$scratch/baseline" "$here/baseline.c"
printf '100\n7.85\n4.6\n' > "$scratch/input"

instructions() {
  env -i valgrind --tool=callgrind --callgrind-out-file="$scratch/callgrind.out" "$1" \
    < "$scratch/input" > /dev/null 2> "$scratch/callgrind.log"
  awk '/^summary:/ { print $2 }' "$scratch/callgrind.out"
}

# (A static program shows 0: memcheck cannot see its allocations.)
heap_bytes() {
  env -i valgrind --tool=memcheck "$1" < "$scratch/input" 2>&1 > /dev/null |
    awk '/total heap usage:/ { gsub(/,/, "", $(NF - 2)); print $(NF - 2) }'
}

# Peak resident memory varies by up to a tenth from run to run, with where
# the kernel places things; the smallest of nine runs varies less.
peak_kib() {
  for _ in 1 2 3 4 5 6 7 8 9; do
    env -i /usr/bin/time -f '%M' -o "$scratch/rss" "$1" < "$scratch/input" > /dev/null
    cat "$scratch/rss"
  done | sort -n | head -1
}

# Prints the ratio a / b and fails if it exceeds `limit`.
ratio_within() {
  awk -v a="$1" -v b="$2" -v limit="$3" 'BEGIN { printf "%.3f", a / b; exit !(a <= limit * b) }'
}

base_instructions=$(instructions "$scratch/baseline")
base_heap=$(heap_bytes "$scratch/baseline")
base_kib=$(peak_kib "$scratch/baseline")
row='%-26s %13s %6s %11s %6s %9s %6s\n'
printf "$row" program instructions ratio 'heap bytes' ratio 'peak KiB' ratio
printf "$row" 'baseline (plain C)' "$base_instructions" 1.000 "$base_heap" 1.000 "$base_kib" 1.000
status=0
for binary in "${binaries[@]}"; do
  count=$(instructions "$binary")
  heap=$(heap_bytes "$binary")
  kib=$(peak_kib "$binary")
  failed=()
  count_ratio=$(ratio_within "$count" "$base_instructions" 1.06) || failed+=("1.06 times the instructions")
  heap_ratio=$(ratio_within "$heap" "$base_heap" 1.05) || failed+=("1.05 times the heap")
  kib_ratio=$(ratio_within "$kib" "$base_kib" 1.5) || failed+=("1.5 times the peak memory")
  printf "$row" "$(basename "$(dirname "$binary")")/$(basename "$binary")" \
    "$count" "$count_ratio" "$heap" "$heap_ratio" "$kib" "$kib_ratio"
  for what in "${failed[@]}"; do
    echo "$binary: more than $what of the baseline" >&2
    status=1
  done
  libraries=$(readelf -d "$binary" | awk '/\(NEEDED\)/ { gsub(/[][]/, "", $5); print $5 }' | xargs)
  echo "  shared libraries: ${libraries:-none (static)}"
  if [[ "$libraries" == *libstdc++* ]]; then
    echo "$binary: loads the C++ runtime library" >&2
    status=1
  fi
  if nm "$binary" 2>/dev/null | grep '_ZNSt8ios_base4Init' > /dev/null; then
    echo "$binary: runs the iostreams' static initialiser" >&2
    status=1
  fi
done
exit $status
