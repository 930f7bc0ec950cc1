#!/usr/bin/env bash
# Builds every release file of the commit checked out here into OUTDIR: the
# Debian packages for amd64, i386, arm64 and armhf, the Windows zips for x64
# and x86, and SHA256SUMS over them. Two runs of the same commit give the
# same bytes, wherever, whenever and by whomever they run: every date is the
# last commit's (or SOURCE_DATE_EPOCH's), no build path reaches a file, and
# archives hold their files in a fixed order with fixed modes.
#
# usage: packaging/release.sh OUTDIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 OUTDIR" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")

# The same tools' behaviour whatever the caller's settings.
export LC_ALL=C TZ=UTC
umask 022

required=(cmake make g++ dpkg-dev git zip
  g++-i686-linux-gnu g++-aarch64-linux-gnu g++-arm-linux-gnueabihf
  libc6:i386 libc6:arm64 libc6:armhf g++-mingw-w64-x86-64 g++-mingw-w64-i686)
missing=()
for package in "${required[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2> /dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  # dpkg-shlibdeps works out each package's Depends from the C library of
  # its own architecture.
  architectures=""
  for architecture in i386 arm64 armhf; do
    dpkg --print-foreign-architectures | grep -qx "$architecture" ||
      architectures+="sudo dpkg --add-architecture $architecture && "
  done
  echo "release.sh needs Debian packages that are missing: ${missing[*]}" >&2
  echo "${architectures}sudo apt-get update && sudo apt-get install ${missing[*]}" >&2
  exit 1
fi

if [ -n "$(git -C "$source_dir" status --porcelain)" ]; then
  echo "$source_dir has changes that are not committed: release files come from a commit" >&2
  exit 1
fi
mkdir -p "$1"
out=$(cd "$1" && pwd)
if [ -n "$(ls -A "$out")" ]; then
  echo "$out is not empty: a release goes into a folder of its own" >&2
  exit 1
fi

SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct)}
export SOURCE_DATE_EPOCH
version=$(sed -n 's/^project(korvimalet VERSION \([0-9.]*\) .*/\1/p' "$source_dir/CMakeLists.txt")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Neither the clone's nor the scratch folder's path reaches a file.
export CXXFLAGS="-ffile-prefix-map=$source_dir=. -ffile-prefix-map=$scratch=."

announce() { printf '%-40s %9d bytes\n' "$(basename "$1")" "$(stat -c %s "$1")"; }

# Configures and builds the program for TOOLCHAIN (none: this machine) in
# the scratch folder NAME, quietly unless it fails.
build() {
  local name=$1 toolchain=$2
  local options=(-S "$source_dir" -B "$scratch/$name" -DCMAKE_BUILD_TYPE=Release)
  [ -z "$toolchain" ] || options+=("-DCMAKE_TOOLCHAIN_FILE=$source_dir/cmake/$toolchain.cmake")
  if ! { cmake "${options[@]}" && cmake --build "$scratch/$name" -j2; } > "$scratch/$name.log" 2>&1; then
    cat "$scratch/$name.log" >&2
    exit 1
  fi
}

# Debian packages; CPack takes their files' dates from SOURCE_DATE_EPOCH.
for target in amd64: i386:i686-linux-gnu arm64:aarch64-linux-gnu armhf:arm-linux-gnueabihf; do
  architecture=${target%%:*}
  build "$architecture" "${target#*:}"
  (cd "$scratch/$architecture" && cpack -G DEB > cpack.log 2>&1) || {
    cat "$scratch/$architecture/cpack.log" >&2
    exit 1
  }
  deb="korvimalet_${version}-1_${architecture}.deb"
  mv "$scratch/$architecture/$deb" "$out/"
  announce "$out/$deb"
done

# Windows zips: the program, stripped, and the operator's texts with CR LF
# line ends, in one folder; fixed order, dates and modes, no extra fields.
for target in x64:x86_64-w64-mingw32 x86:i686-w64-mingw32; do
  platform=${target%%:*}
  build "windows-$platform" "${target#*:}"
  folder="korvimalet-$version-windows-$platform"
  mkdir -p "$scratch/zip-$platform/$folder"
  "${target#*:}-strip" -o "$scratch/zip-$platform/$folder/korvimalet.exe" \
    "$scratch/windows-$platform/korvimalet.exe"
  for text in LIESMICH.txt README.txt; do
    sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$here/windows/$text" \
      > "$scratch/zip-$platform/$folder/$text"
  done
  chmod 644 "$scratch/zip-$platform/$folder"/*
  touch -d "@$SOURCE_DATE_EPOCH" "$scratch/zip-$platform/$folder"/*
  (cd "$scratch/zip-$platform" &&
    zip -q -X -D "$out/$folder.zip" "$folder/korvimalet.exe" "$folder/LIESMICH.txt" "$folder/README.txt")
  announce "$out/$folder.zip"
done

(cd "$out" && sha256sum korvimalet_*.deb korvimalet-*.zip > SHA256SUMS)
announce "$out/SHA256SUMS"
