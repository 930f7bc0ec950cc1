#!/usr/bin/env bash
# Makes korvimalet.ico, the Windows program's icon, from korvimalet.svg:
# each size Windows shows drawn by rsvg-convert (package librsvg2-bin) and
# kept as PNG inside the .ico (Windows Vista and newer read that). Both
# files are committed; the build needs only the .ico.
#
# usage: packaging/icons/make_ico.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
command -v rsvg-convert > /dev/null ||
  { echo "make_ico.sh needs rsvg-convert: sudo apt-get install librsvg2-bin" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
sizes=(16 20 24 32 40 48 64 256)
for size in "${sizes[@]}"; do
  rsvg-convert -w "$size" -h "$size" "$here/korvimalet.svg" -o "$scratch/$size.png"
done
# The ICO format: a header, one directory entry per image (a width or
# height of 256 is written as 0), then the images.
python3 - "$here/korvimalet.ico" "$scratch" "${sizes[@]}" << 'PYTHON'
import struct, sys
target, folder, sizes = sys.argv[1], sys.argv[2], [int(s) for s in sys.argv[3:]]
images = [open(f"{folder}/{size}.png", "rb").read() for size in sizes]
offset = 6 + 16 * len(images)
header = struct.pack("<HHH", 0, 1, len(images))
entries = b""
for size, image in zip(sizes, images):
    entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
    offset += len(image)
with open(target, "wb") as ico:
    ico.write(header + entries + b"".join(images))
PYTHON
echo "wrote $here/korvimalet.ico ($(stat -c %s "$here/korvimalet.ico") bytes)"
