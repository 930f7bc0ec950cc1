#!/usr/bin/env bash
# Builds every release file of the commit checked out here into OUTDIR: the
# Debian packages for amd64, i386, arm64 and armhf, the Windows zips for x64
# and x86, BUILDINFO (the commit, its date and the versions of the Debian
# packages that made the files) and SHA256SUMS over them. Two runs of the
# same commit with the same package versions give the same bytes, wherever
# and by whomever they run: every date is the last commit's (or
# SOURCE_DATE_EPOCH's), but the changelog entry's, which keeps the day it
# was written; no build path reaches a file; archives hold their files in a
# fixed order with fixed modes; and nothing of the caller's environment
# (compilers, flags, generator, PATH, umask, locale, time zone) takes part.
#
# usage: packaging/release.sh OUTDIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 OUTDIR" >&2; exit 2; }

# Once, at the start: run again with an environment of our own, keeping
# only HOME (for git's settings), TMPDIR (where the build goes) and
# SOURCE_DATE_EPOCH.
if [ "${KORVIMALET_RELEASE_ENVIRONMENT:-}" != own ]; then
  exec env -i KORVIMALET_RELEASE_ENVIRONMENT=own PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    LC_ALL=C TZ=UTC ${HOME+"HOME=$HOME"} ${TMPDIR+"TMPDIR=$TMPDIR"} \
    ${SOURCE_DATE_EPOCH+"SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH"} bash "$0" "$@"
fi
umask 022
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")

# The Debian packages whose files go into the release or make it, recorded
# with their versions in BUILDINFO: the same versions give the same bytes.
toolchain=(
  g++-12 gcc-12 cpp-12 libstdc++-12-dev libgcc-12-dev libc6-dev:amd64 libc6:amd64
  linux-libc-dev:amd64 binutils binutils-x86-64-linux-gnu
  g++-12-i686-linux-gnu gcc-12-i686-linux-gnu cpp-12-i686-linux-gnu binutils-i686-linux-gnu
  libstdc++-12-dev-i386-cross libgcc-12-dev-i386-cross libc6-dev-i386-cross
  linux-libc-dev-i386-cross libc6:i386
  g++-12-aarch64-linux-gnu gcc-12-aarch64-linux-gnu cpp-12-aarch64-linux-gnu
  binutils-aarch64-linux-gnu libstdc++-12-dev-arm64-cross libgcc-12-dev-arm64-cross
  libc6-dev-arm64-cross linux-libc-dev-arm64-cross libc6:arm64
  g++-12-arm-linux-gnueabihf gcc-12-arm-linux-gnueabihf cpp-12-arm-linux-gnueabihf
  binutils-arm-linux-gnueabihf libstdc++-12-dev-armhf-cross libgcc-12-dev-armhf-cross
  libc6-dev-armhf-cross linux-libc-dev-armhf-cross libc6:armhf
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix-runtime
  binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix gcc-mingw-w64-i686-posix-runtime
  binutils-mingw-w64-i686 mingw-w64-i686-dev mingw-w64-common gcc-mingw-w64-base
  cmake cmake-data libarchive13 make dpkg-dev dpkg file libmagic1 libmagic-mgc gzip zip
  coreutils sed mandoc)

required=(cmake make g++ dpkg-dev file git zip mandoc
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
out=$(realpath -m "$1")
case $out/ in
  "$(realpath "$source_dir")"/*)
    echo "$out lies inside the clone, which it would leave with files that are not committed:" \
      "choose a folder outside it" >&2
    exit 1
    ;;
esac
mkdir -p "$out"
if [ -n "$(ls -A "$out")" ]; then
  echo "$out is not empty: a release goes into a folder of its own" >&2
  exit 1
fi

SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct)}
export SOURCE_DATE_EPOCH
version=$(sed -n 's/^project(korvimalet VERSION \([0-9.]*\) .*/\1/p' "$source_dir/CMakeLists.txt")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Neither the clone's nor the scratch folder's path reaches a file. The
# maps are CMake list items in bracket arguments, so that a blank or any
# other character in either path stays part of it.
printf 'add_compile_options([==[-ffile-prefix-map=%s=.]==] [==[-ffile-prefix-map=%s=.]==])\n' \
  "$source_dir" "$scratch" > "$scratch/prefix_maps.cmake"

announce() { printf '%-40s %9d bytes\n' "$(basename "$1")" "$(stat -c %s "$1")"; }

# Configures and builds the program for TOOLCHAIN (none: this machine) in
# the scratch folder NAME, quietly unless it fails.
build() {
  local name=$1 toolchain=$2
  local options=(-S "$source_dir" -B "$scratch/$name" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_PROJECT_INCLUDE=$scratch/prefix_maps.cmake")
  if [ -z "$toolchain" ]; then
    options+=(-DCMAKE_CXX_COMPILER=g++)
  else
    options+=("-DCMAKE_TOOLCHAIN_FILE=$source_dir/cmake/$toolchain.cmake")
  fi
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

# Windows zips: the program, stripped, and its manual pages as HTML for a
# browser (LIESMICH.html in German, README.html in English), in one folder;
# fixed order, dates and modes, no extra fields.
for target in x64:x86_64-w64-mingw32 x86:i686-w64-mingw32; do
  platform=${target%%:*}
  build "windows-$platform" "${target#*:}"
  folder="korvimalet-$version-windows-$platform"
  mkdir -p "$scratch/zip-$platform/$folder"
  "${target#*:}-strip" -o "$scratch/zip-$platform/$folder/korvimalet.exe" \
    "$scratch/windows-$platform/korvimalet.exe"
  mandoc -T html "$scratch/windows-$platform/korvimalet.de.1" > "$scratch/zip-$platform/$folder/LIESMICH.html"
  mandoc -T html "$scratch/windows-$platform/korvimalet.1" > "$scratch/zip-$platform/$folder/README.html"
  chmod 644 "$scratch/zip-$platform/$folder"/*
  touch -d "@$SOURCE_DATE_EPOCH" "$scratch/zip-$platform/$folder"/*
  (cd "$scratch/zip-$platform" &&
    zip -q -X -D "$out/$folder.zip" "$folder/korvimalet.exe" "$folder/LIESMICH.html" "$folder/README.html")
  announce "$out/$folder.zip"
done

# What made the files: the commit, its date, and every toolchain package's
# version; check_release.sh compares it with the machine it runs on.
commit_date=$(git -C "$source_dir" log -1 --format=%ct)
{
  echo "Source: korvimalet"
  echo "Version: $version"
  echo "Commit: $(git -C "$source_dir" rev-parse HEAD)"
  echo "Commit-Date: $(date -u -d "@$commit_date" '+%Y-%m-%d %H:%M:%S UTC')"
  echo "Source-Date-Epoch: $SOURCE_DATE_EPOCH"
  echo "Build-Distribution: $(. /etc/os-release && echo "$NAME $(cat /etc/debian_version) ($VERSION_CODENAME)")"
  echo "Build-Architecture: $(dpkg --print-architecture)"
  echo "Packages:"
  dpkg-query -W -f=' ${binary:Package} ${Version}\n' "${toolchain[@]}" | LC_ALL=C sort
} > "$out/BUILDINFO"
announce "$out/BUILDINFO"

(cd "$out" && sha256sum BUILDINFO korvimalet_*.deb korvimalet-*.zip > SHA256SUMS)
announce "$out/SHA256SUMS"
