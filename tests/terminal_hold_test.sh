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

source_dir=$(dirname "$(dirname "$(realpath "$0")")")
. "$source_dir/packaging/common.sh"
trap 'tmux_ kill-server 2> /dev/null || true; rm -rf "$scratch"' EXIT
# One tmux server for all the sessions: it would exit with the last one,
# and a command that reaches it while it exits fails ("server exited
# unexpectedly", seen on a busy machine).
tmux_ start-server \; set-option -s exit-empty off
# Fails with a message and the screen, and ends a program left running.
fail() {
  echo "FAILED ($session): $*" >&2
  tmux_ capture-pane -p -t "$session" >&2 2> /dev/null || true
  [ -z "${pid:-}" ] || kill -KILL "$pid" 2> /dev/null || true
  exit 1
}
screen() { tmux_ capture-pane -p -t "$session"; }
shows() { screen 2> /dev/null | grep -F -- "$1" > /dev/null; }
wait_for() { within_a_minute shows "$1" || fail "\"$1\" never showed"; }

# The program's state (R, S, T, ...), or nothing once it has ended, and the
# system call it waits in. No row waits for anything to happen within a
# time: where keys must reach the terminal before the program reads, or
# while it pauses, the program is stopped (SIGSTOP) until the terminal has
# echoed them, which it does once they are in its input queue. tmux
# continues a stopped process of its own at once, so those rows run the
# program as the child of a shell (which, without job control, does not
# look at its child's stops).
stoppable="sh -c '\"\$0\"; exit' '$program'"
state() { sed -n 's/^[0-9]* ([^)]*) \(.\).*/\1/p' "/proc/$pid/stat" 2> /dev/null || true; }
ended() { [ -z "$(state)" ] || [ "$(state)" = Z ]; }
stopped() { [ "$(state)" = T ]; }
sleeping() { [ "$(state)" = S ]; }
waits_in() { sleeping && [ "$(cut -d ' ' -f 1 "/proc/$pid/syscall" 2> /dev/null)" = "$1" ]; }
# The program waits for a line (in the call it waited in for the reading)
# or has ended.
reading_or_ended() { waits_in "$read_call" || ended; }
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
    if [ "$(readlink "/proc/$candidate/exe")" = "$program" ]; then
      pid=$candidate
      return 0
    fi
  done
  return 1
}
# The terminal has echoed a line that ends in the last characters of $1:
# the cursor stands at the start of the line after it.
echoed() {
  local x y tail=${1:$((${#1} > 8 ? ${#1} - 8 : 0))}
  read -r x y < <(tmux_ display-message -p -t "$session" '#{cursor_x} #{cursor_y}')
  [ "$x" = 0 ] && [ "$y" -gt 0 ] && [[ $(screen | sed -n "${y}p") == *"$tail" ]]
}

# Starts the command $2 as the command of a new session named $1, answers
# the first two prompts, and waits until the program waits for the reading.
started_session() {
  session=$1
  tmux_ new-session -d -s "$session" -x 80 -y 60 "$2"
  wait_for ' 1)    Kugel-Durchmesser eingeben:'
  within_a_minute find_program || fail "the program never started"
  tmux_ send-keys -t "$session" 100 Enter
  wait_for ' 2) Spezifisches Gewicht eingeben:'
  tmux_ send-keys -t "$session" 7.85 Enter
  wait_for ' in [kg] eingeben (#.###):'
  within_a_minute sleeping || fail "the program never waited for the reading"
  read_call=$(cut -d ' ' -f 1 "/proc/$pid/syscall")
}
# Types the keys "$@", the last an Enter after a line of text, while the
# program is stopped, so that all of them are in the terminal's input
# before it reads on.
type_while_stopped() {
  kill -STOP "$pid"
  within_a_minute stopped || fail "the program did not stop"
  tmux_ send-keys -t "$session" "$@"
  within_a_minute echoed "${*: -2:1}" || fail "the terminal never echoed the keys typed"
  kill -CONT "$pid"
}
# Waits until the line that holds the terminal shows after G U T.
verdict_shown() {
  wait_for "$hold"
  screen | grep '^        \*\*\*\* G U T \*\*\*\*' > /dev/null ||
    fail "no G U T before the line that holds the terminal"
}
# Waits until the program waits for Enter, or fails if it ends instead.
held() {
  within_a_minute reading_or_ended || fail "the program never waited for Enter"
  ! ended || fail "$1"
}
# Sends keys, then waits until the program has ended, or fails with $1.
end_with() {
  local why=$1
  shift
  tmux_ send-keys -t "$session" "$@"
  within_a_minute ended || fail "$why"
}
# Stops the program in its pause after the closing line: watches, without
# starting a process, the system call it is in until that is one other
# than the read of the reading (for a minute at most, which only catches a
# hang), stops it there, and confirms that it is still in that call.
stop_in_pause() {
  local call= paused= now deadline=$((SECONDS + 60))
  while [ -z "$paused" ]; do
    read -r call < "/proc/$pid/syscall" 2> /dev/null || fail "the program ended before its pause"
    if [[ $call =~ ^[0-9]+\  ]] && [ "${call%% *}" != "$read_call" ]; then
      paused=$call
    fi
    [ "$SECONDS" -lt "$deadline" ] || fail "the program never left the read of the reading"
  done
  kill -STOP "$pid"
  within_a_minute stopped || fail "the program did not stop"
  read -r now < "/proc/$pid/syscall"
  [ "$(cut -d ' ' -f 1-4 <<< "$now")" = "$(cut -d ' ' -f 1-4 <<< "$paused")" ] ||
    fail "the program was stopped after its pause, in $now, not in $paused"
}

# A reading with more typed after it, and a second line longer than one
# read of the wait, typed ahead: the program reads the first line, and
# whatever is left must not end the wait. Nor does a character typed now;
# Enter does.
started_session typed-ahead "$stoppable"
type_while_stopped '4.6 abc' Enter "$(printf 'more%.0s' {1..100})" Enter
verdict_shown
held "the lines typed ahead ended the wait"
tmux_ send-keys -t "$session" x
wait_for "$hold x"
waits_in "$read_call" || fail "a character without Enter ended the wait"
end_with "Enter did not end the wait" Enter
# An end of input (Ctrl+D) ends the wait too, also after some characters
# (as script sends one when its own terminal goes away); so does Enter
# under `sh -c` (dash), which runs the program as its child.
started_session end-of-input "exec '$program'"
tmux_ send-keys -t "$session" 4.6 Enter
verdict_shown
held "the wait for Enter ended by itself"
end_with "Ctrl+D after some characters did not end the wait" o k C-d
started_session sh-c "sh -c '$program'"
tmux_ send-keys -t "$session" 4.6 Enter
verdict_shown
held "the wait for Enter ended by itself under sh -c"
end_with "Enter did not end the wait under sh -c" Enter

# A second Enter that comes while the program pauses after the closing
# line (a double press) is dropped.
started_session double-enter "$stoppable"
tmux_ send-keys -t "$session" 4.6 Enter
stop_in_pause
tmux_ send-keys -t "$session" Enter
within_a_minute echoed schliessen || fail "the terminal never echoed the second Enter"
kill -CONT "$pid"
verdict_shown
held "an Enter during the pause ended the wait"
end_with "Enter after the pause did not end the wait" Enter

# script keeps the program's terminal open when its own goes away, and
# sends one end of input instead of a hangup: in the dialogue, it ends the
# check without a wait; after the closing line (in the pause, unless the
# machine is slow), it ends the wait. Either way nothing is left running.
wrapped="env SHELL=/bin/sh script -qc '$program' /dev/null"
session=script-in-dialogue
tmux_ new-session -d -s "$session" -x 80 -y 60 "$wrapped"
wait_for ' 1)    Kugel-Durchmesser eingeben:'
within_a_minute find_program || fail "the program never started"
tmux_ kill-session -t "$session"
within_a_minute ended || fail "an end of input in the dialogue left the program running"
started_session script-after-closing-line "$wrapped"
tmux_ send-keys -t "$session" 4.6 Enter
verdict_shown
tmux_ kill-session -t "$session"
within_a_minute ended || fail "an end of input after the closing line left the program running"

# A hangup (the terminal closed) during the wait: the program ends by
# itself, with status 0, and nothing is left. bash, between the terminal
# and the program, survives the hangup to record the status.
started_session hangup "bash -c 'trap : HUP; \"\$0\"; echo \$? > \"\$1\"' '$program' '$scratch/status'"
tmux_ send-keys -t "$session" 4.6 Enter
verdict_shown
held "the wait for Enter ended by itself"
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
