#!/usr/bin/env bash
# Checks what an operator's machine gets: both manual pages render cleanly
# and quote the program's texts exactly; `cmake --install` puts exactly the
# program and its manual pages under a prefix; the Debian package passes
# lintian, holds exactly the expected files, and its installed program gives
# the worked example's transcript byte for byte.
#
# usage: packaging/check_package.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

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
for page in korvimalet.1 korvimalet.de.1; do
  grep -E '^\.(B|BR|RB) ' "$build/$page" | grep -o '"[^"]*"' | tr -d '"' | sed 's/\\-/-/g' > "$scratch/quoted"
  [ "$(wc -l < "$scratch/quoted")" -ge 9 ] || { echo "$page quotes too few screen texts" >&2; exit 1; }
  while IFS= read -r text; do
    grep -qF -- "$text" "$scratch/screen" || { echo "$page quotes \"$text\", which the program never prints" >&2; exit 1; }
  done < "$scratch/quoted"
done

cmake --install "$build" --prefix "$scratch/prefix" > /dev/null
(cd "$scratch/prefix" && find . -type f | sort) > "$scratch/installed"
printf './bin/korvimalet\n./share/man/de/man1/korvimalet.1\n./share/man/man1/korvimalet.1\n' |
  diff -u - "$scratch/installed"

(cd "$build" && cpack -G DEB > /dev/null)
deb=$(ls "$build"/korvimalet_*.deb)
echo "package: $(basename "$deb")"
dpkg-deb --field "$deb" Package Version Section Priority Maintainer Depends
# initial-upload-closes-no-bugs concerns uploads to Debian's archive only.
lintian --suppress-tags initial-upload-closes-no-bugs --fail-on error,warning "$deb"
dpkg-deb --contents "$deb" | awk '{ print $6 }' | diff -u "$here/expected_files.txt" -

dpkg -x "$deb" "$scratch/root"
"$scratch/root/usr/bin/korvimalet" < "$source_dir/tests/data/worked_example.in" > "$scratch/transcript"
cmp "$scratch/transcript" "$source_dir/tests/data/worked_example.out"
# man finds the German page for a German reader and the English one else.
export MANPATH="$scratch/root/usr/share/man"
man -L de korvimalet 2> /dev/null | grep -q BESCHREIBUNG
LC_ALL=C man korvimalet 2> /dev/null | grep -q DESCRIPTION
echo "package checked: manual pages, files, lintian, transcript of the installed program"
