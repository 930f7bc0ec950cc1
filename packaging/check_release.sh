#!/usr/bin/env bash
# Checks the release files in OUTDIR, as packaging/release.sh wrote them:
# their checksums; BUILDINFO against this machine's packages (a rebuild here
# gives the same bytes only where they are the same versions); each Debian
# package with lintian; and the program taken out of each package and each
# zip, run on the worked example (byte for byte), on readings typed as the
# limits of 117.878 mm / Rho 2.730 (G U T) and on a tiny reading above
# limits of 0 (Obere Grenze verletzt), natively or under qemu-user or wine
# where it is foreign.
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
out=$(cd "$1" && pwd)

# Names each toolchain package whose version here differs from the one in
# BUILDINFO, and the Debian release if it differs; fails if any does.
compare_buildinfo() {
  local differences=0 name version here_version release
  release=$(. /etc/os-release && echo "$NAME $(cat /etc/debian_version) ($VERSION_CODENAME)")
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
  export WINEPREFIX="$scratch/wine" WINEDEBUG=${WINEDEBUG--all}
  trap 'wineserver --kill 2> /dev/null || true; rm -rf "$scratch"' EXIT
else
  trap 'rm -rf "$scratch"' EXIT
fi

# Whether this kernel runs 32-bit x86 programs (some virtual machines
# leave that mode out).
runs_x86_32() { /usr/i686-linux-gnu/lib/ld-linux.so.2 --version > /dev/null 2>&1; }

# Runs the transcripts of PROGRAM through EMULATOR (words joined by "|").
transcripts() {
  local program=$1 emulator=$2 data="$source_dir/tests/data"
  cmake "-DEMULATOR=$emulator" "-DPROGRAM=$program" "-DINPUT=$data/worked_example.in" \
    "-DEXPECTED=$data/worked_example.out" -P "$source_dir/tests/transcript.cmake"
  for limit in upper lower; do
    cmake "-DEMULATOR=$emulator" "-DPROGRAM=$program" "-DINPUT=$data/${limit}_limit_typed.in" \
      "-DLAST_LINE=        **** G U T ****" -P "$source_dir/tests/transcript.cmake"
  done
  cmake "-DEMULATOR=$emulator" "-DPROGRAM=$program" "-DINPUT=$data/tiny_reading.in" \
    "-DLAST_LINE= Obere Grenze verletzt: SCHLECHT" -P "$source_dir/tests/transcript.cmake"
}

for deb in "$out"/*.deb; do
  architecture=$(dpkg-deb --field "$deb" Architecture)
  echo "$(basename "$deb"): Depends: $(dpkg-deb --field "$deb" Depends)"
  # initial-upload-closes-no-bugs concerns uploads to Debian's archive only.
  lintian --suppress-tags initial-upload-closes-no-bugs --fail-on error,warning "$deb"
  dpkg -x "$deb" "$scratch/$architecture"
  case $architecture in
    amd64) emulator= ;;
    i386) if runs_x86_32; then emulator=; else emulator="qemu-i386|-L|/usr/i686-linux-gnu"; fi ;;
    arm64) emulator="qemu-aarch64|-L|/usr/aarch64-linux-gnu" ;;
    armhf) emulator="qemu-arm|-L|/usr/arm-linux-gnueabihf" ;;
    *) echo "no way to run $architecture here" >&2; exit 1 ;;
  esac
  transcripts "$scratch/$architecture/usr/bin/korvimalet" "$emulator"
  echo "$(basename "$deb"): the four transcripts as expected"
done

for zip in "$out"/*.zip; do
  unzip -q "$zip" -d "$scratch"
  folder="$scratch/$(basename "$zip" .zip)"
  for text in LIESMICH.html README.html; do
    grep -qF "korvimalet $(sed -n 's/^Version: //p' "$out/BUILDINFO")" "$folder/$text" ||
      { echo "$(basename "$zip"): $text is not the manual page of this version" >&2; exit 1; }
  done
  # The 32-bit program needs wine's 32-bit part and a kernel that runs
  # 32-bit programs.
  if [[ $zip == *-x86.zip ]] && ! { runs_x86_32 && dpkg-query -W wine32:i386 > /dev/null 2>&1; }; then
    echo "$(basename "$zip"): not run (no 32-bit wine here)"
    continue
  fi
  transcripts "$folder/korvimalet.exe" wine
  echo "$(basename "$zip"): the four transcripts as expected"
done
echo "release checked: checksums, lintian, transcripts of every packaged program that runs here"
