#!/usr/bin/env bash
# Starts rswpro.exe under Wine. With a display it runs until you close it; without one it runs on
# a private Xvfb for a few seconds and saves a screenshot.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe="$root/build/win32/bin/rswpro.exe"
shots="$root/build/screenshots"

if [ -n "${DISPLAY:-}" ]; then
  exec "$root/scripts/with-wine.sh" wine "$exe" "$@"
fi

mkdir -p "$shots"
RSW_EXE="$exe" RSW_SHOT="$shots/rswpro.png" "$root/scripts/with-wine.sh" bash -c '
  wine "$RSW_EXE" "$@" &
  sleep 8   # a few seconds of the program running: start-up and a couple of refresh ticks
  import -window root "$RSW_SHOT"
  wineserver -k
' run "$@"
echo "No display here: rswpro.exe ran on Xvfb; screenshot saved to $shots/rswpro.png"
