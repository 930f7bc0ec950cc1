#!/usr/bin/env bash
# Runs the examples of a manual page against the program: in its last
# section, each line that begins with "$ " inside .EX/.EE is a command,
# run with the program first on PATH, and the lines up to the next command
# are what it must print (trailing blanks aside). With --print, only prints
# those lines.
#
# usage: tests/manual_examples_test.sh PAGE PROGRAM
#        tests/manual_examples_test.sh --print PAGE
set -euo pipefail
print=
if [ "${1:-}" = --print ] && [ $# -eq 2 ]; then
  print=yes
  shift
elif [ $# -ne 2 ]; then
  echo "usage: $0 PAGE PROGRAM, or $0 --print PAGE" >&2
  exit 2
fi
page=$1
. "$(dirname "$0")/../packaging/common.sh"

# The examples, their roff escapes undone: "$ command" lines and the
# expected lines after each.
examples=$(awk '/^\.SH / { examples = 0 } /^\.SH (EXAMPLES|BEISPIELE)$/ { examples = 1 }
  examples && /^\.EX$/ { inside = 1; next }
  examples && /^\.EE$/ { inside = 0 }
  inside' "$page" | roff_text)
[ "$(grep -c '^\$ ' <<< "$examples")" -ge 5 ] || { echo "$page: too few examples" >&2; exit 1; }
if [ -n "$print" ]; then
  echo "$examples"
  exit
fi
PATH=$(dirname "$(realpath "$2")"):$PATH
export PATH LC_ALL=C

failed=0
check() {
  local got
  # A pipeline that fails (grep finding nothing) is a mismatch like any other.
  got=$(bash -c "$1" | sed 's/ *$//') || true
  if [ "$got" != "$2" ]; then
    printf '%s: $ %s\nexpected:\n%s\ngot:\n%s\n' "$page" "$1" "$2" "$got" >&2
    failed=1
  fi
}
command= expected=
while IFS= read -r line; do
  if [[ $line == '$ '* ]]; then
    [ -z "$command" ] || check "$command" "$expected"
    command=${line#'$ '} expected=
  else
    expected+=${expected:+$'\n'}$line
  fi
done <<< "$examples"
check "$command" "$expected"
[ "$failed" -eq 0 ] && echo "$page: every example as the program answers it"
