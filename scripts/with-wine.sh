#!/usr/bin/env bash
# Runs a command with a private, headless Wine: its own prefix under build/wine (created once;
# RSW_WINEPREFIX names another, RSW_DPI the display scale a new one is made with),
# its own Xvfb when no display is set, and everything it started stopped again afterwards.
#   scripts/with-wine.sh COMMAND [ARGS...]
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${RSW_WINEPREFIX:-$root/build/wine/prefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT INT TERM

if [ -z "${DISPLAY:-}" ]; then
  # the first free display number from 90 on
  n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.1
  done
fi

if [ ! -f "$WINEPREFIX/.rsw-ready" ]; then
  mkdir -p "$WINEPREFIX"
  echo "Creating the Wine prefix $WINEPREFIX ..."
  wineboot -i >/dev/null 2>&1
  wineserver -w
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # Every program runs inside one virtual desktop, which has a taskbar and a notification area
  # and manages its windows itself (minimising works without an X window manager).
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f >/dev/null 2>&1
  # A prefix made for another display scale (RSW_DPI, in DPI) keeps it: every program in it sees it.
  if [ -n "${RSW_DPI:-}" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$RSW_DPI" /f >/dev/null 2>&1
  fi
  wineserver -w
  touch "$WINEPREFIX/.rsw-ready"
fi

"$@"
