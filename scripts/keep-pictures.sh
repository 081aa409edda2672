#!/usr/bin/env bash
# Keeps the pictures the Wine tests took of the program as PNG files in build/screenshots.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
from="$root/build/win32/bin/screenshots"
to="$root/build/screenshots"
[ -d "$from" ] || exit 0
mkdir -p "$to"
shopt -s nullglob
for bmp in "$from"/*.bmp; do
  name=$(basename "$bmp" .bmp)
  convert "$bmp" "$to/${name// /-}.png"
done
echo "Pictures of the program: $to"
