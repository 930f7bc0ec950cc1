#!/usr/bin/env bash
# Checks the release files in OUTDIR, as packaging/release.sh wrote them:
# their checksums; BUILDINFO against this machine's packages (a rebuild here
# gives the same bytes only where they are the same versions); each Debian
# package with lintian; the program taken out of each package and each zip,
# run on the transcripts of tests/transcripts.cmake, natively or under
# qemu-user or wine where it is foreign (as its toolchain file in
# cmake/toolchains/ says); and the manual pages in each zip as a browser
# (w3m) shows them: the language set, every screen text they quote with
# its blanks, and the examples' lines as the program prints them; and each
# Windows installer under wine, installed, checked and uninstalled.
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
# The check's own wine prefixes: one for the packaged programs unless the
# caller chose one, and one for the installers.
cleanup() {
  local prefix
  for prefix in "$scratch/wine" "$scratch/installed"; do
    WINEPREFIX=$prefix wineserver --kill 2> /dev/null || true
  done
  rm -rf "$scratch"
}
trap cleanup EXIT
[ -n "${WINEPREFIX:-}" ] || start_wine "$scratch/wine"
version=$(sed -n 's/^Version: //p' "$out/BUILDINFO")

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
    grep -qF "korvimalet $version" "$folder/$text" ||
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
# The Windows installers under wine, in a fresh prefix: the 64-bit one
# installed silently, twice (the second over the first), then the 32-bit
# one beside it where 32-bit wine runs. Each puts its zip's files and its
# uninstaller at the top of its folder in Program Files (the 32-bit one in
# Program Files (x86)), its links in the Start menu and on the desktop, and
# its key in Apps & features into the registry view of its program; the
# program installed passes the transcripts. Each silent uninstall leaves
# the prefix as it found it: the same files and folders (but for the
# uninstaller's copy of itself in the temporary folder, which Windows
# removes at its next start), and nothing in the registry that names
# korvimalet. wine makes no menu entries in the caller's home folder, and
# its errors are not shown: without its menu builder and a display, it has
# some at every start.
export WINEPREFIX=$scratch/installed WINEDLLOVERRIDES=winemenubuilder.exe=d WINEDEBUG=-all
# Runs the wine of PLATFORM on the other arguments and waits until wine has
# ended (an uninstaller's copy too), which saves the registry to the prefix.
in_wine() {
  local wine
  IFS='|' read -r -a wine <<< "${emulators[zip:$1]}"
  shift
  "${wine[@]}" "$@" && wineserver --wait
}
prefix_state() {
  wineserver --wait
  (cd "$WINEPREFIX" && find drive_c -path 'drive_c/users/*/Temp' -prune -o -printf '%y %p\n' | LC_ALL=C sort &&
    { grep -i korvimalet system.reg user.reg || true; })
}
# The names of PLATFORM's installation: in the Start menu and Apps &
# features, its folder of Program Files, and its view of the registry.
names() {
  setup="korvimalet-$version-windows-$1-setup.exe" name=korvimalet files="Program Files" view=
  [ "$1" = x64 ] || { name="korvimalet (32-bit)" files="Program Files (x86)" view='Wow6432Node\\'; }
}
check_installed() {
  names "$1"
  local link target values folder="$WINEPREFIX/drive_c/$files/korvimalet" reg="C:\\\\$files\\\\korvimalet"
  diff <(printf '%s\n' LIESMICH.html README.html Uninstall.exe korvimalet.exe) <(ls "$folder") ||
    { echo "$setup: not the zip's files and the uninstaller at the top of $files/korvimalet" >&2; exit 1; }
  for target in korvimalet.exe LIESMICH.html README.html; do
    cmp "$scratch/korvimalet-$version-windows-$1/$target" "$folder/$target"
  done
  local menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/$name"
  while IFS='|' read -r link target; do
    grep -qaF "C:\\$files\\korvimalet\\$target" "$link" || { echo "$setup: no link $link to $target" >&2; exit 1; }
  done <<< "$menu/korvimalet.lnk|korvimalet.exe
$menu/Handbuch (Deutsch).lnk|LIESMICH.html
$menu/Manual (English).lnk|README.html
$menu/Uninstall.lnk|Uninstall.exe
$WINEPREFIX/drive_c/users/Public/Desktop/$name.lnk|korvimalet.exe"
  local key="[Software\\\\${view}Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\korvimalet]"
  values=$(key=$key awk '$1 == ENVIRON["key"] { on = 1; next } on && /^$/ { exit } on' "$WINEPREFIX/system.reg")
  for value in "\"DisplayName\"=\"$name\"" "\"DisplayVersion\"=\"$version\"" \
    '"Publisher"="The korvimalet developers"' "\"DisplayIcon\"=\"$reg\\\\korvimalet.exe\"" \
    "\"InstallLocation\"=\"$reg\"" "\"QuietUninstallString\"=\"\\\"$reg\\\\Uninstall.exe\\\" /S\"" \
    "$(printf '"EstimatedSize"=dword:%08x' $(($(cat "$folder"/* | wc -c) / 1024)))" \
    '"NoModify"=dword:00000001' '"NoRepair"=dword:00000001'; do
    grep -qxF -- "$value" <<< "$values" || { echo "$setup: $key lacks $value" >&2; exit 1; }
  done
  transcripts "$folder/korvimalet.exe" "${emulators[zip:$1]}"
  echo "$setup: installed, with links, key and transcripts"
}
# Uninstalls PLATFORM silently and compares the prefix with STATE.
uninstall() {
  names "$1"
  in_wine "$1" "C:\\$files\\korvimalet\\Uninstall.exe" /S
  diff <(echo "$2") <(echo "$(prefix_state)") || { echo "$setup: its uninstaller left this behind" >&2; exit 1; }
  echo "$setup: uninstalled, nothing left behind"
}
mkdir "$WINEPREFIX"
wineboot --init 2> /dev/null
fresh=$(prefix_state)
in_wine x64 "$out/korvimalet-$version-windows-x64-setup.exe" /S
in_wine x64 "$out/korvimalet-$version-windows-x64-setup.exe" /S
check_installed x64
if [ -n "$(missing_packages "${packages[zip:x86]}")" ]; then
  echo "korvimalet-$version-windows-x86-setup.exe: not run (it needs ${packages[zip:x86]})"
else
  with_x64=$(prefix_state)
  in_wine x86 "$out/korvimalet-$version-windows-x86-setup.exe" /S
  check_installed x86
  check_installed x64
  uninstall x86 "$with_x64"
fi
uninstall x64 "$fresh"
echo "release checked: checksums, lintian, the HTML pages, the installers, the transcripts of every packaged program that runs here"
