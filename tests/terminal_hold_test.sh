#!/usr/bin/env bash
# The terminal opened for the program alone (here the program as the
# command of a new tmux session, as with a menu entry or `xterm -e`, with
# or without `sh -c` in between) stays open after the verdict until Enter
# or an end of input; lines typed ahead, or in the first second after the
# closing line, do not end that wait. A hangup ends the program with 0.
# Started from an interactive shell, or with its output in a file, the
# program ends at the closing blank line, with no line added. tmux is a
# real terminal and needs no display.
#
# usage: tests/terminal_hold_test.sh PROGRAM
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 PROGRAM" >&2; exit 2; }
program=$(realpath "$1")
hold=' Fenster mit der Enter-Taste schliessen'
scratch=$(mktemp -d)

# A tmux server of this test's own, without the user's settings.
tmux_() { tmux -L "korvimalet-test-$$" -f /dev/null "$@"; }
trap 'tmux_ kill-server 2> /dev/null || true; rm -rf "$scratch"' EXIT
# Fails with a message and the screen, and ends a program left running.
fail() {
  echo "FAILED ($session): $*" >&2
  tmux_ capture-pane -p -t "$session" >&2 2> /dev/null || true
  [ -z "${pid:-}" ] || kill "$pid" 2> /dev/null || true
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

# The program's state (R, S, ...), or nothing once it has ended, and the
# system call it waits in.
state() { sed -n 's/^[0-9]* ([^)]*) \(.\).*/\1/p' "/proc/$pid/stat" 2> /dev/null || true; }
ended() { [ -z "$(state)" ] || [ "$(state)" = Z ]; }
waits_in() { [ "$(state)" = S ] && [ "$(cut -d ' ' -f 1 "/proc/$pid/syscall" 2> /dev/null)" = "$1" ]; }
# The program waits for a line (in the call it waited in for the reading)
# or has ended; the program pauses (waits in another call).
reading_or_ended() { waits_in "$read_call" || ended; }
pausing() { [ "$(state)" = S ] && ! waits_in "$read_call"; }
# The program: the session's first process, or a descendant of it.
descendants() {
  local child
  for child in $(cat "/proc/$1/task/$1/children" 2> /dev/null); do
    echo "$child"
    descendants "$child"
  done
}
find_program() {
  local first candidate
  first=$(tmux_ display-message -p -t "$session" '#{pane_pid}')
  for candidate in "$first" $(descendants "$first"); do
    [ "$(readlink "/proc/$candidate/exe")" != "$program" ] || { pid=$candidate; return 0; }
  done
  return 1
}

# Starts the command $2 as the command of a new session named $1, answers
# the prompts, the last with the keys "${@:3}", and waits until the line
# that holds the terminal shows after the verdict.
answered_session() {
  session=$1
  tmux_ new-session -d -s "$session" -x 80 -y 60 "$2"
  shift 2
  wait_for ' 1)    Kugel-Durchmesser eingeben:'
  within_a_minute find_program || fail "the program never started"
  tmux_ send-keys -t "$session" 100 Enter
  wait_for ' 2) Spezifisches Gewicht eingeben:'
  tmux_ send-keys -t "$session" 7.85 Enter
  wait_for ' in [kg] eingeben (#.###):'
  within_a_minute [ "$(state)" = S ] || fail "the program never waited for the reading"
  read_call=$(cut -d ' ' -f 1 "/proc/$pid/syscall")
  tmux_ send-keys -t "$session" "$@"
  wait_for "$hold"
  screen | grep '^        \*\*\*\* G U T \*\*\*\*' > /dev/null ||
    fail "no G U T before the line that holds the terminal"
}
# The same, then waits until the program waits for Enter, or fails if it
# ends instead.
held_session() {
  answered_session "$@"
  within_a_minute reading_or_ended || fail "the program never waited for Enter"
  ! ended || fail "the wait for Enter ended by itself"
}
# Sends keys, then waits until the program has ended, or fails with $1.
end_with() {
  local why=$1
  shift
  tmux_ send-keys -t "$session" "$@"
  within_a_minute ended || fail "$why"
}

# A reading with more typed after it, and a second line longer than one
# read of the wait, sent together: the program reads the first line, and
# whatever is left must not end the wait. Nor does a character typed now;
# Enter does.
held_session typed-ahead "exec '$program'" '4.6 abc' Enter "$(printf 'more%.0s' {1..100})" Enter
tmux_ send-keys -t "$session" x
sleep 0.2
! ended || fail "a character without Enter ended the wait"
end_with "Enter did not end the wait" Enter
# An end of input (Ctrl+D) ends the wait too, also after some characters
# (as script sends one when its own terminal goes away); so does Enter
# under `sh -c` (dash), which runs the program as its child.
held_session end-of-input "exec '$program'" 4.6 Enter
end_with "Ctrl+D after some characters did not end the wait" o k C-d
held_session sh-c "sh -c '$program'" 4.6 Enter
end_with "Enter did not end the wait under sh -c" Enter

# A second Enter that comes while the program pauses after the closing
# line (a double press) is dropped. Where the machine was too slow to send
# it within the pause, the row is tried again.
for ((try = 1; ; try++)); do
  answered_session "double-enter-$try" "exec '$program'" 4.6 Enter
  within_a_minute pausing || fail "the program never paused after the closing line"
  tmux_ send-keys -t "$session" Enter
  pausing && break
  [ "$try" -lt 5 ] || fail "the second Enter never came within the pause"
  tmux_ kill-session -t "$session"
done
within_a_minute reading_or_ended || fail "the program never waited for Enter"
! ended || fail "an Enter during the pause ended the wait"
end_with "Enter after the pause did not end the wait" Enter

# script keeps the program's terminal open when its own goes away, and
# sends one end of input instead of a hangup: in the dialogue, it ends the
# check without a wait; in the pause after the closing line, it ends the
# wait. Either way nothing is left running.
wrapped="env SHELL=/bin/sh script -qc '$program' /dev/null"
session=script-in-dialogue
tmux_ new-session -d -s "$session" -x 80 -y 60 "$wrapped"
wait_for ' 1)    Kugel-Durchmesser eingeben:'
within_a_minute find_program || fail "the program never started"
tmux_ kill-session -t "$session"
within_a_minute ended || fail "an end of input in the dialogue left the program running"
answered_session script-in-pause "$wrapped" 4.6 Enter
within_a_minute pausing || fail "the program never paused after the closing line"
tmux_ kill-session -t "$session"
within_a_minute ended || fail "an end of input in the pause left the program running"

# A hangup (the terminal closed) during the wait: the program ends by
# itself, with status 0, and nothing is left. bash, between the terminal
# and the program, survives the hangup to record the status.
held_session hangup "bash -c 'trap : HUP; \"\$0\"; echo \$? > \"\$1\"' '$program' '$scratch/status'" 4.6 Enter
tmux_ kill-session -t "$session"
within_a_minute ended || fail "the program was left running after a hangup"
within_a_minute [ -s "$scratch/status" ] || fail "no exit status recorded after a hangup"
[ "$(cat "$scratch/status")" = 0 ] || fail "exit status $(cat "$scratch/status") after a hangup"

# The program leads the terminal's session, but writes to a file: no wait,
# and the file ends with the verdict and the closing blank line.
session=to-a-file
tmux_ new-session -d -s "$session" -x 80 -y 60 "exec '$program' > '$scratch/out'"
within_a_minute grep -qF ' 1)    Kugel-Durchmesser eingeben:' "$scratch/out" ||
  fail "the program never asked for the diameter"
tmux_ send-keys -t "$session" '100 7.85 4.6' Enter
session_gone() { ! tmux_ has-session -t "$session" 2> /dev/null; }
within_a_minute session_gone || fail "the program waited with its output in a file"
[ "$(tail -n 1 "$scratch/out")" = "        **** G U T ****       $(printf '%48s' '')" ] ||
  fail "the file does not end with the verdict and the closing blank line"

# Started from an interactive shell (bash, and dash as Debian's /bin/sh),
# which gives the program a process group of its own: no extra line, and
# the shell's prompt follows the closing blank line.
prompt_follows_verdict() {
  screen | awk 'verdict && NR == verdict + 1 { ok = $0 == "shell>"; exit }
    /^        \*\*\*\* G U T \*\*\*\*/ { verdict = NR }
    END { exit !ok }'
}
for shell in 'bash --norc --noprofile -i' 'sh -i'; do
  session=${shell%% *}
  tmux_ new-session -d -s "$session" -x 80 -y 60 "env PS1='shell>' $shell"
  wait_for 'shell>'
  tmux_ send-keys -t "$session" "'$program'" Enter
  wait_for ' 1)    Kugel-Durchmesser eingeben:'
  tmux_ send-keys -t "$session" '100 7.85 4.6' Enter
  within_a_minute prompt_follows_verdict || fail "the shell's prompt does not follow the verdict"
  ! shows "$hold" || fail "the line that holds the terminal showed after a start from a shell"
done
echo "terminal of the program's own: held until Enter, Ctrl+D or a hangup (status 0); from a shell or into a file: ended at once"
