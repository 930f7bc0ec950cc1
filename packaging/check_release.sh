#!/usr/bin/env bash
# Checks the release files in OUTDIR, as packaging/release.sh wrote them:
# their checksums, each Debian package with lintian, and the program taken
# out of each package and each zip, run on the worked example (byte for
# byte) and on readings typed as the limits of 117.878 mm / Rho 2.730 (G U
# T), natively or under qemu-user or wine where it is foreign.
#
# usage: packaging/check_release.sh OUTDIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")
out=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$out" && sha256sum --quiet -c SHA256SUMS)

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
done

for zip in "$out"/*.zip; do
  unzip -q "$zip" -d "$scratch"
  folder="$scratch/$(basename "$zip" .zip)"
  for text in LIESMICH.txt README.txt; do
    if grep -qv $'\r$' "$folder/$text"; then
      echo "$(basename "$zip"): $text has a line without CR LF" >&2
      exit 1
    fi
  done
  # The 32-bit program needs wine's 32-bit part and a kernel that runs
  # 32-bit programs.
  if [[ $zip == *-x86.zip ]] && ! { runs_x86_32 && dpkg-query -W wine32:i386 > /dev/null 2>&1; }; then
    echo "$(basename "$zip"): not run (no 32-bit wine here)"
    continue
  fi
  transcripts "$folder/korvimalet.exe" wine
done
echo "release checked: checksums, lintian, transcripts of every packaged program that runs here"
