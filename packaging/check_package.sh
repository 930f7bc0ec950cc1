#!/usr/bin/env bash
# Checks what an operator's machine gets: both manual pages render cleanly
# and quote the program's texts exactly; the menu entry passes
# desktop-file-validate; `cmake --install` puts exactly the program, its
# manual pages, menu entry and icon under a prefix, with folders 755 and
# files 644 (the program 755) whatever the umask; the Debian package passes
# lintian, holds exactly the expected files with those modes, and its
# installed program gives the worked example's transcript byte for byte.
#
# usage: packaging/check_package.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")
. "$here/common.sh"
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'tmux_ kill-server 2> /dev/null || true; rm -rf "$scratch"' EXIT

# Both manual pages render without a warning (the German one through
# preconv, for its UTF-8), and every screen text they quote in bold, in
# double quotes, is byte for byte a text the program prints.
for page in korvimalet.1 korvimalet.de.1; do
  if [ -n "$(groff -k -ww -man -z "$build/$page" 2>&1)" ]; then
    echo "groff has something to say about $page" >&2
    exit 1
  fi
done
for input in '100 7.85 4.6' '100 7.85 5' '100 7.85 4'; do
  echo "$input" | "$build/korvimalet"
done > "$scratch/screen"
# And the line that holds a terminal opened for the program alone, as a
# menu entry opens one: the program as the command of a new tmux session.
tmux_ new-session -d -x 80 -y 100 "exec '$build/korvimalet'"
tmux_ send-keys '100 7.85 4.6' Enter
holds() { tmux_ capture-pane -p | grep 'Enter-Taste schliessen' > /dev/null; }
within_a_minute holds || { echo "the line that holds the terminal never showed" >&2; exit 1; }
tmux_ capture-pane -p >> "$scratch/screen"
for page in korvimalet.1 korvimalet.de.1; do
  quoted_screen_texts "$build/$page" > "$scratch/quoted"
  [ "$(wc -l < "$scratch/quoted")" -ge 9 ] || { echo "$page quotes too few screen texts" >&2; exit 1; }
  while IFS= read -r text; do
    grep -qF -- "$text" "$scratch/screen" || { echo "$page quotes \"$text\", which the program never prints" >&2; exit 1; }
  done < "$scratch/quoted"
done

desktop-file-validate "$here/korvimalet.desktop"

# Installed files and packaged ones: folders 755, the program 755, every
# other file 644.
check_modes() {
  awk '$1 !~ /^d/ && $2 ~ /bin\/korvimalet$/ { want = "-rwxr-xr-x" }
       $1 !~ /^d/ && $2 !~ /bin\/korvimalet$/ { want = "-rw-r--r--" }
       $1 ~ /^d/ { want = "drwxr-xr-x" }
       $1 != want { print $2 ": " $1 ", not " want; wrong = 1 }
       END { exit wrong }'
}
cmake --install "$build" --prefix "$scratch/prefix" > /dev/null
(cd "$scratch/prefix" && find . -type f | sort) > "$scratch/installed"
printf '%s\n' ./bin/korvimalet ./share/applications/korvimalet.desktop \
  ./share/icons/hicolor/scalable/apps/korvimalet.svg ./share/man/de/man1/korvimalet.1 \
  ./share/man/man1/korvimalet.1 | diff -u - "$scratch/installed"
(cd "$scratch/prefix" && find . -mindepth 1 -printf '%M %p\n') | check_modes

(cd "$build" && cpack -G DEB > /dev/null)
deb=$(ls "$build/korvimalet_$(project_version)-"*.deb)
echo "package: $(basename "$deb")"
dpkg-deb --field "$deb" Package Version Section Priority Maintainer Depends
check_with_lintian "$deb"
dpkg-deb --contents "$deb" | awk '{ print $6 }' | diff -u "$here/expected_files.txt" -
dpkg-deb --contents "$deb" | awk '$6 != "./" { print $1, $6 }' | check_modes

dpkg -x "$deb" "$scratch/root"
"$scratch/root/usr/bin/korvimalet" < "$source_dir/tests/data/worked_example.in" > "$scratch/transcript"
cmp "$scratch/transcript" "$source_dir/tests/data/worked_example.out"
# man finds the German page for a German reader and the English one else.
export MANPATH="$scratch/root/usr/share/man"
man -L de korvimalet 2> /dev/null | grep BESCHREIBUNG > /dev/null
LC_ALL=C man korvimalet 2> /dev/null | grep DESCRIPTION > /dev/null
echo "package checked: manual pages, files, lintian, transcript of the installed program"
