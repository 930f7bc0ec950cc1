# What the shell scripts of the project share; sourced, not run. Expects
# source_dir, the clone's top folder.

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# The Debian packages among "$@" that are not installed, one per line; a
# name with a trailing - (apt-get's way to remove one) where it is.
missing_packages() {
  local package installed
  for package in "$@"; do
    installed=$(dpkg-query -W -f='${Status}' "${package%-}" 2> /dev/null | grep 'install ok installed' || true)
    if [ "$package" = "${package%-}" ]; then
      [ -n "$installed" ] || echo "$package"
    else
      [ -z "$installed" ] || echo "$package"
    fi
  done
}

# The shell block that follows the n-th marker comment in README.md.
readme_block() {
  awk -v wanted="$1" '
    /^<!-- \.ci\/run runs this block as it stands -->$/ { marker++; next }
    marker == wanted && /^```sh$/ { inside = 1; next }
    inside && /^```$/ { exit }
    inside { print }' README.md
}

# Runs a README block in the folder $1: its apt-get line (as root, without
# asking), then the command after it, exactly as written, with standard
# input from the caller.
run_readme_block() {
  local folder=$1 block=$2 install command
  install=$(grep '^sudo apt-get install ' <<< "$block")
  command=$(grep -v '^sudo apt-get install ' <<< "$block")
  echo "README: $install"
  as_root env DEBIAN_FRONTEND=noninteractive ${install#sudo } -y -q < /dev/null
  echo "README: $command"
  (cd "$folder" && bash -euo pipefail -c "$command")
}

# The version of the program, from CMakeLists.txt.
project_version() {
  sed -n 's/^project(korvimalet VERSION \([0-9.]*\) .*/\1/p' "$source_dir/CMakeLists.txt"
}

# One line per target of cmake/toolchains/: name, system, release file
# (deb:<architecture>, zip:<platform> or -), the command that runs its
# programs (words joined by "|"), the package that command needs (or -) and
# the compiler's package; cmake/describe_target.cmake tells more. A script
# reads them once with read_targets, in its own shell, which ends it if a
# toolchain file cannot be read; targets then prints them.
read_targets() {
  local toolchain line
  target_lines=
  for toolchain in "$source_dir"/cmake/toolchains/*.cmake; do
    line=$(cmake -DTOOLCHAIN="$toolchain" -P "$source_dir/cmake/describe_target.cmake") &&
      [ "$(wc -w <<< "$line")" -eq 6 ] || { echo "$toolchain does not describe its target" >&2; exit 1; }
    target_lines+=$line$'\n'
  done
}
targets() { printf '%s' "${target_lines:?read_targets first}"; }

# Whether this kernel runs 32-bit x86 programs (some virtual machines leave
# that mode out), as the i686 toolchain file finds out: it then runs that
# target's programs without qemu-user.
runs_x86_32() { ! grep -q '^i686-linux-gnu [^ ]* [^ ]* qemu-' <<< "$(targets)"; }

# The foreign Debian architectures whose C libraries the release's packages
# take their Depends from (dpkg-shlibdeps), and the commands that add those
# missing on this machine.
release_architectures() { targets | awk '$3 ~ /^deb:/ { sub(/^deb:/, "", $3); print $3 }'; }
missing_architectures() {
  local architecture
  for architecture in $(release_architectures); do
    dpkg --print-foreign-architectures | grep -x "$architecture" > /dev/null || echo "$architecture"
  done
}

# The Debian release this machine runs, as BUILDINFO names it.
build_distribution() { (. /etc/os-release && echo "$NAME $(cat /etc/debian_version) ($VERSION_CODENAME)"); }

# A fresh wine prefix in $WINEPREFIX with one wineserver kept running, so
# that each later start takes a fraction of a second; wine's own errors
# are shown, its other chatter is not.
start_wine() {
  mkdir -p "$1"
  export WINEPREFIX=$1 WINEDEBUG=${WINEDEBUG:--all,err+all}
  wineserver --persistent
  wineboot --init 2> /dev/null
}

# Text of a manual page's source with the roff escapes the pages use undone:
# blanks that do not stretch or break, a minus, marks for where a word may
# or may not break, a quote, and a backslash (last, so that it starts none).
roff_text() { sed -e 's/\\[ ~]/ /g' -e 's/\\-/-/g' -e 's/\\[&%]//g' -e "s/\\\\(aq/'/g" -e 's/\\e/\\/g'; }

# The screen texts that the manual page $1 quotes in bold, in double quotes,
# one per line as the program prints them.
quoted_screen_texts() { grep -E '^\.(B|BR|RB) ' "$1" | grep -o '"[^"]*"' | tr -d '"' | roff_text; }

# lintian on a Debian package: no error and no warning but
# initial-upload-closes-no-bugs, which concerns uploads to Debian's archive,
# where this package does not go.
check_with_lintian() {
  lintian --suppress-tags initial-upload-closes-no-bugs --fail-on error,warning "$1"
}

# A tmux server of the caller's own, without the user's settings, named by
# the caller's process; the caller kills it on exit.
tmux_() { tmux -L "korvimalet-$$" -f /dev/null "$@"; }

# Runs "$@" every tenth of a second until it succeeds, for a minute at most,
# which only catches a hang; fails if it never does.
within_a_minute() {
  local tries
  for ((tries = 0; tries < 600; tries++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
