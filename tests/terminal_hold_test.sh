#!/usr/bin/env bash
# The terminal opened for the program alone (here the program as the
# command of a new tmux session, as with a menu entry or `xterm -e`) stays
# open after the verdict until Enter or Ctrl+D, and what was typed ahead
# does not end that wait; started from a shell in a terminal, the program
# ends at the closing blank line, with no line added. tmux is a real
# terminal and needs no display.
#
# usage: tests/terminal_hold_test.sh PROGRAM
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 PROGRAM" >&2; exit 2; }
program=$(realpath "$1")
hold=' Fenster mit der Enter-Taste schliessen'

# A tmux server of this test's own, without the user's settings.
tmux_() { tmux -L "korvimalet-test-$$" -f /dev/null "$@"; }
trap 'tmux_ kill-server 2> /dev/null || true' EXIT
fail() {
  echo "FAILED: $*" >&2
  tmux_ capture-pane -p -t "$session" >&2 2> /dev/null || true
  exit 1
}
screen() { tmux_ capture-pane -p -t "$session"; }
shows() { screen 2> /dev/null | grep -F -- "$1" > /dev/null; }
# Runs the command "$@" every tenth of a second until it succeeds, for a
# minute at most, which only catches a hang; fails if it never does.
within_a_minute() {
  local tries
  for ((tries = 0; tries < 600; tries++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
wait_for() { within_a_minute shows "$1" || fail "\"$1\" never showed"; }
# Answers the three prompts; the third answer is "$1".
answer() {
  wait_for ' 1)    Kugel-Durchmesser eingeben:'
  tmux_ send-keys -t "$session" 100 Enter
  wait_for ' 2) Spezifisches Gewicht eingeben:'
  tmux_ send-keys -t "$session" 7.85 Enter
  wait_for ' in [kg] eingeben (#.###):'
  tmux_ send-keys -t "$session" "$@"
}
# The state of the program (R, S, ...), or nothing once it has ended.
state() { sed -n 's/^[0-9]* ([^)]*) \(.\).*/\1/p' "/proc/$pid/stat" 2> /dev/null || true; }
ended() { [ -z "$(state)" ] || [ "$(state)" = Z ]; }
sleeping_or_ended() { [ "$(state)" = S ] || ended; }

# Starts the program as the command of a new session, which it leads, on
# a terminal of its own; answers the prompts, the last with "$@"; and waits
# until it shows the line that holds the terminal and sleeps (S) in its
# wait for Enter, or fails if it ends instead.
held_session() {
  session=$1
  shift
  tmux_ new-session -d -s "$session" -x 80 -y 60 "exec '$program'"
  pid=$(tmux_ display-message -p -t "$session" '#{pane_pid}')
  answer "$@"
  wait_for "$hold"
  screen | grep '^        \*\*\*\* G U T \*\*\*\*' > /dev/null ||
    fail "no G U T before the line that holds the terminal"
  within_a_minute sleeping_or_ended || fail "the program never waited for Enter"
  ! ended || fail "the wait for Enter ended by itself"
}
# Sends keys, then waits until the program has ended, or fails with $1.
end_with() {
  local why=$1
  shift
  tmux_ send-keys -t "$session" "$@"
  within_a_minute ended || fail "$why"
}

# A reading with more typed after it, and a second line, sent together:
# the program reads the first line, and whatever is left must not end the
# wait. Nor does a character typed now; Enter does.
held_session typed-ahead '4.6 abc' Enter more Enter
tmux_ send-keys -t "$session" x
sleep 0.2
! ended || fail "a character without Enter ended the wait"
end_with "Enter did not end the wait" Enter
# An end of input (Ctrl+D) pressed now ends the wait too.
held_session end-of-input 4.6 Enter
end_with "Ctrl+D did not end the wait" C-d

# Started from an interactive shell, which leads the session: no extra
# line, and the shell's prompt follows the closing blank line.
session=shell
tmux_ new-session -d -s "$session" -x 80 -y 60 "env PS1='shell>' bash --norc --noprofile -i"
wait_for 'shell>'
tmux_ send-keys -t "$session" "'$program'" Enter
answer 4.6 Enter
# The verdict with the closing blank line's blanks, then the shell's prompt
# at once.
prompt_follows_verdict() {
  screen | awk 'verdict && NR == verdict + 1 { ok = $0 == "shell>"; exit }
    /^        \*\*\*\* G U T \*\*\*\*/ { verdict = NR }
    END { exit !ok }'
}
within_a_minute prompt_follows_verdict || fail "the shell's prompt does not follow the verdict"
! shows "$hold" || fail "the line that holds the terminal showed after a start from a shell"
echo "terminal opened for the program: held until Enter; started from a shell: ended at once"
