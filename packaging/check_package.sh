#!/usr/bin/env bash
# Checks what an operator's machine gets: `cmake --install` puts exactly the
# program and its manual page under a prefix; the Debian package passes
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

if [ -n "$(groff -ww -man -z "$build/korvimalet.1" 2>&1)" ]; then
  echo "groff has something to say about the manual page" >&2
  exit 1
fi

cmake --install "$build" --prefix "$scratch/prefix" > /dev/null
(cd "$scratch/prefix" && find . -type f | sort) > "$scratch/installed"
printf './bin/korvimalet\n./share/man/man1/korvimalet.1\n' | diff -u - "$scratch/installed"

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
man -l "$scratch/root/usr/share/man/man1/korvimalet.1.gz" > /dev/null
echo "package checked: files, lintian, transcript of the installed program"
