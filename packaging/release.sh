#!/usr/bin/env bash
# Builds every release file of the commit checked out here into OUTDIR: a
# Debian package for this machine (amd64) and for each target in
# cmake/toolchains/ that names a Debian architecture, a Windows zip and an
# installer for each that names a Windows platform, BUILDINFO (the commit,
# its date and the versions of the Debian packages that made the files) and
# SHA256SUMS over them. Two runs of the same commit with the same package
# versions give the same bytes, wherever and by whomever they run: every
# date is the last commit's (or SOURCE_DATE_EPOCH's), but the changelog
# entry's, which keeps the day it was written; no build path reaches a
# file; archives hold their files in a fixed order with fixed modes; and
# nothing of the caller's environment (compilers, flags, generator, PATH,
# umask, locale, time zone) takes part.
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
. "$here/common.sh"

command -v cmake > /dev/null || { echo "release.sh needs cmake: sudo apt-get install cmake" >&2; exit 1; }
read_targets
# The targets of the release besides this machine's amd64 package: name,
# system, release file, compiler package (from cmake/toolchains/).
release_targets=$(targets | awk '$3 != "-" { print $1, $2, $3, $6 }')

# The Debian packages whose files go into the release or make it, recorded
# with their versions in BUILDINFO: the same versions give the same bytes.
# Names that hold a version take it from the compiler installed.
toolchain_packages() {
  local major name system release compiler
  major=$(g++ -dumpversion | cut -d . -f 1)
  echo "g++-$major gcc-$major cpp-$major libstdc++-$major-dev libgcc-$major-dev libc6-dev:amd64"
  echo "libc6:amd64 linux-libc-dev:amd64 binutils binutils-x86-64-linux-gnu"
  while read -r name system release compiler; do
    if [ "$system" = Linux ]; then
      local architecture=${release#deb:}
      major=$("$name-g++" -dumpversion | cut -d . -f 1)
      echo "g++-$major-$name gcc-$major-$name cpp-$major-$name binutils-$name libc6:$architecture"
      echo "libstdc++-$major-dev-$architecture-cross libgcc-$major-dev-$architecture-cross"
      echo "libc6-dev-$architecture-cross linux-libc-dev-$architecture-cross"
    else
      # g++-mingw-w64-<processor>: the posix flavour the toolchain file uses.
      local mingw=${compiler#g++-}
      echo "g++-$mingw-posix gcc-$mingw-posix gcc-$mingw-posix-runtime binutils-$mingw $mingw-dev"
    fi
  done <<< "$release_targets"
  echo "mingw-w64-common gcc-mingw-w64-base cmake cmake-data make dpkg-dev dpkg file gzip zip"
  echo "nsis nsis-common"
  echo "coreutils sed mandoc"
  # Libraries of those tools, by the names they have on this Debian release.
  dpkg-query -W -f='${Package}\n' 'libarchive[0-9]*' 'libmagic[0-9]*' libmagic-mgc
}

missing=$(missing_packages cmake make g++ dpkg-dev file git zip mandoc nsis \
  $(awk '{ print $4 }' <<< "$release_targets") \
  $(release_architectures | sed 's/^/libc6:/'))
if [ -n "$missing" ]; then
  # dpkg-shlibdeps works out each package's Depends from the C library of
  # its own architecture.
  echo "release.sh needs Debian packages that are missing:" $missing >&2
  echo "$(missing_architectures | sed 's/.*/sudo dpkg --add-architecture & \&\& /' | tr -d '\n')" \
    "sudo apt-get update && sudo apt-get install" $missing >&2
  exit 1
fi
# Every toolchain package named, before the first build.
toolchain=$(toolchain_packages | xargs -n 1)
missing=$(missing_packages $toolchain)
[ -z "$missing" ] || { echo "release.sh: toolchain packages not installed:" $missing >&2; exit 1; }

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

commit_date=$(git -C "$source_dir" log -1 --format=%ct)
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$commit_date}
export SOURCE_DATE_EPOCH
version=$(project_version)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Neither the clone's nor the scratch folder's path reaches a file. The
# maps are CMake list items in bracket arguments, so that a blank or any
# other character in either path stays part of it.
printf 'add_compile_options([==[-ffile-prefix-map=%s=.]==] [==[-ffile-prefix-map=%s=.]==])\n' \
  "$source_dir" "$scratch" > "$scratch/prefix_maps.cmake"

announce() { printf '%-40s %9d bytes\n' "$(basename "$1")" "$(stat -c %s "$1")"; }

# Configures and builds the program for the target NAME (amd64: this
# machine) in the scratch folder of that name, quietly unless it fails.
build() {
  local name=$1
  local options=(-S "$source_dir" -B "$scratch/$name" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_PROJECT_INCLUDE=$scratch/prefix_maps.cmake")
  if [ "$name" = amd64 ]; then
    options+=(-DCMAKE_CXX_COMPILER=g++)
  else
    options+=("-DCMAKE_TOOLCHAIN_FILE=$source_dir/cmake/toolchains/$name.cmake")
  fi
  if ! { cmake "${options[@]}" && cmake --build "$scratch/$name" -j "$(nproc)"; } > "$scratch/$name.log" 2>&1; then
    cat "$scratch/$name.log" >&2
    exit 1
  fi
}

# Runs cpack with the arguments after NAME in the build folder of the
# target NAME, quietly unless it fails.
run_cpack() {
  local name=$1
  shift
  (cd "$scratch/$name" && cpack "$@" > cpack.log 2>&1) || {
    cat "$scratch/$name/cpack.log" >&2
    exit 1
  }
}

# Debian packages; CPack takes their files' dates from SOURCE_DATE_EPOCH.
deb() {
  local name=$1 architecture=$2
  build "$name"
  run_cpack "$name" -G DEB
  local file
  file=$(ls "$scratch/$name/korvimalet_${version}-"*"_$architecture.deb")
  mv "$file" "$out/"
  announce "$out/$(basename "$file")"
}

# Windows zips: the program, stripped, and its manual pages as HTML for a
# browser (LIESMICH.html in German, README.html in English), in one folder;
# fixed order, dates and modes, no extra fields. Then the installer of the
# same files, made by CPack (CMakeLists.txt tells what it does).
zip_for_windows() {
  local name=$1 platform=$2
  build "$name"
  local folder="korvimalet-$version-windows-$platform"
  local files="$scratch/zip-$platform/$folder"
  mkdir -p "$files"
  "$name-strip" -o "$files/korvimalet.exe" "$scratch/$name/korvimalet.exe"
  manual_page_html de "$scratch/$name/korvimalet.de.1" > "$files/LIESMICH.html"
  manual_page_html en "$scratch/$name/korvimalet.1" > "$files/README.html"
  chmod 644 "$files"/*
  touch -d "@$SOURCE_DATE_EPOCH" "$files"/*
  (cd "$scratch/zip-$platform" &&
    zip -q -X -D "$out/$folder.zip" "$folder/korvimalet.exe" "$folder/LIESMICH.html" "$folder/README.html")
  announce "$out/$folder.zip"
  run_cpack "$name" -G NSIS -D CPACK_INSTALL_CMAKE_PROJECTS= -D "CPACK_INSTALLED_DIRECTORIES=$files;." \
    -D "CPACK_PACKAGE_FILE_NAME=$folder-setup"
  mv "$scratch/$name/$folder-setup.exe" "$out/"
  announce "$out/$folder-setup.exe"
}

# A manual page as HTML in the language LANGUAGE: mandoc's, with the
# language on the <html> element, so that a browser offers no translation
# and a screen reader reads it with the page's own rules.
manual_page_html() {
  mandoc -T html "$2" | sed "s/^<html>\$/<html lang=\"$1\">/"
}

deb amd64 amd64
while read -r name system release _; do
  case $release in
    deb:*) deb "$name" "${release#deb:}" ;;
    zip:*) zip_for_windows "$name" "${release#zip:}" ;;
  esac
done <<< "$release_targets"

# What made the files: the commit, its date, and every toolchain package's
# version; check_release.sh compares it with the machine it runs on.
{
  echo "Source: korvimalet"
  echo "Version: $version"
  echo "Commit: $(git -C "$source_dir" rev-parse HEAD)"
  echo "Commit-Date: $(date -u -d "@$commit_date" '+%Y-%m-%d %H:%M:%S UTC')"
  echo "Source-Date-Epoch: $SOURCE_DATE_EPOCH"
  echo "Build-Distribution: $(build_distribution)"
  echo "Build-Architecture: $(dpkg --print-architecture)"
  echo "Packages:"
  dpkg-query -W -f=' ${binary:Package} ${Version}\n' $toolchain | LC_ALL=C sort
} > "$out/BUILDINFO"
announce "$out/BUILDINFO"

(cd "$out" && sha256sum BUILDINFO korvimalet_*.deb korvimalet-*.zip korvimalet-*-setup.exe > SHA256SUMS)
announce "$out/SHA256SUMS"
