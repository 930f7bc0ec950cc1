#!/usr/bin/env bash
# Checks the release files in OUTDIR, as packaging/release.sh wrote them:
# their checksums; BUILDINFO against this machine's packages (a rebuild here
# gives the same bytes only where they are the same versions); each Debian
# package with lintian; the program taken out of each package and each zip,
# run on the transcripts of tests/transcripts.cmake, natively or under
# qemu-user or wine where it is foreign (as its toolchain file in
# cmake/toolchains/ says); and the manual pages in each zip as a browser
# (w3m) shows them: the language set, every screen text they quote with
# its blanks, and the examples' lines as the program prints them.
#
# With --toolchain, only compares BUILDINFO with this machine, and fails if
# anything differs: run it before rebuilding a release to compare bytes.
#
# usage: packaging/check_release.sh [--toolchain] OUTDIR
set -euo pipefail
usage="usage: $0 [--toolchain] OUTDIR"
toolchain_only=
if [ "${1:-}" = --toolchain ]; then
  toolchain_only=yes
  shift
fi
[ $# -eq 1 ] || { echo "$usage" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")
. "$here/common.sh"
read_targets
out=$(cd "$1" && pwd)

# Names each toolchain package whose version here differs from the one in
# BUILDINFO, and the Debian release if it differs; fails if any does.
compare_buildinfo() {
  local differences=0 name version here_version release
  release=$(build_distribution)
  if [ "$(sed -n 's/^Build-Distribution: //p' "$out/BUILDINFO")" != "$release" ]; then
    echo "BUILDINFO: built on $(sed -n 's/^Build-Distribution: //p' "$out/BUILDINFO"), this is $release"
    differences=$((differences + 1))
  fi
  while read -r name version; do
    here_version=$(dpkg-query -W -f='${Version}' "$name" 2> /dev/null || true)
    if [ "$here_version" != "$version" ]; then
      echo "BUILDINFO: $name $version, here ${here_version:-not installed}"
      differences=$((differences + 1))
    fi
  done < <(sed -n '/^Packages:$/,$ { /^ /p }' "$out/BUILDINFO")
  if [ "$differences" -eq 0 ]; then
    echo "BUILDINFO: every toolchain package here has the release's version"
  else
    echo "BUILDINFO: $differences differences: a rebuild here need not give the same bytes"
    return 1
  fi
}

(cd "$out" && sha256sum --quiet -c SHA256SUMS)
if [ -n "$toolchain_only" ]; then
  compare_buildinfo
  exit
fi
compare_buildinfo || true

scratch=$(mktemp -d)
# A wine prefix of the check's own unless the caller chose one.
if [ -z "${WINEPREFIX:-}" ]; then
  trap 'wineserver --kill 2> /dev/null || true; rm -rf "$scratch"' EXIT
  start_wine "$scratch/wine"
else
  trap 'rm -rf "$scratch"' EXIT
fi

# Runs the transcripts of PROGRAM through EMULATOR (words joined by "|").
transcripts() {
  cmake "-DEMULATOR=$2" "-DPROGRAM=$1" -P "$source_dir/tests/transcripts.cmake"
}

# The manual page PAGE as HTML, as w3m shows it: the <html> element names
# LANGUAGE; each screen text that the page's source quotes in bold shows
# with every blank; and the lines from the first example to the end of the
# examples are the examples' own, which the tests run against the program.
check_html() {
  local html=$1 language=$2 page=$3 shown
  grep -q "^<html lang=\"$language\">$" "$html" || { echo "$html: not marked as language $language" >&2; exit 1; }
  shown=$(w3m -dump -cols 200 -T text/html "$html")
  quoted_screen_texts "$page" | while IFS= read -r text; do
    grep -qF -- "$text" <<< "$shown" || { echo "$html: \"$text\" does not show as such" >&2; exit 1; }
  done || { echo "$html: its screen texts do not all show (or $page quotes none)" >&2; exit 1; }
  diff -u <(bash "$source_dir/tests/manual_examples_test.sh" --print "$page") \
    <(awk '/^\$ / { on = 1 } on && /^$/ { exit } on' <<< "$shown") ||
    { echo "$html: the examples do not show as the program prints them" >&2; exit 1; }
}

declare -A emulators packages
while read -r name _ release emulator package _; do
  emulators[$release]=$emulator
  packages[$release]=$package
done < <(targets)
emulators[deb:amd64]=

for deb in "$out"/*.deb; do
  architecture=$(dpkg-deb --field "$deb" Architecture)
  echo "$(basename "$deb"): Depends: $(dpkg-deb --field "$deb" Depends)"
  check_with_lintian "$deb"
  dpkg -x "$deb" "$scratch/$architecture"
  [ -n "${emulators[deb:$architecture]+set}" ] || { echo "no way to run $architecture here" >&2; exit 1; }
  transcripts "$scratch/$architecture/usr/bin/korvimalet" "${emulators[deb:$architecture]}"
done

for zip in "$out"/*.zip; do
  unzip -q "$zip" -d "$scratch"
  folder="$scratch/$(basename "$zip" .zip)"
  check_html "$folder/LIESMICH.html" de "$source_dir/doc/korvimalet.de.1.in"
  check_html "$folder/README.html" en "$source_dir/doc/korvimalet.1.in"
  for text in LIESMICH.html README.html; do
    grep -qF "korvimalet $(sed -n 's/^Version: //p' "$out/BUILDINFO")" "$folder/$text" ||
      { echo "$(basename "$zip"): $text is not the manual page of this version" >&2; exit 1; }
  done
  platform=${zip##*-}
  platform=zip:${platform%.zip}
  package=${packages[$platform]}
  if [ "$package" != - ] && [ -n "$(missing_packages "$package")" ]; then
    echo "$(basename "$zip"): not run (it needs $package)"
    continue
  fi
  transcripts "$folder/korvimalet.exe" "${emulators[$platform]}"
done
echo "release checked: checksums, lintian, the HTML pages, the transcripts of every packaged program that runs here"
