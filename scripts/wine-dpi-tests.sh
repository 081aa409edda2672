#!/usr/bin/env bash
# Runs the display-scale tests once for each scale above 96 DPI, each in a Wine prefix of its own
# made at that scale (Wine has one DPI per prefix, set when the prefix is made). The whole Wine
# suite has already run them at 96 DPI. A scale at which no test ran fails: GoogleTest itself
# passes a filter that matches nothing.
#   scripts/wine-dpi-tests.sh [DPI...]     default: 120 144 192
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tests="$root/build/win32/bin/rsw_wine_tests.exe"
[ -f "$tests" ] || { echo "build the Windows tests first: cmake --build --preset win32" >&2; exit 1; }
filter="${RSW_DPI_FILTER:-Dpi*}"
scales=("$@")
[ ${#scales[@]} -gt 0 ] || scales=(120 144 192)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for dpi in "${scales[@]}"; do
  echo "== the display-scale tests at $dpi DPI"
  RSW_DPI="$dpi" RSW_WINEPREFIX="$root/build/wine/prefix-$dpi" \
    "$root/scripts/with-wine.sh" wine "$tests" --gtest_filter="$filter" --gtest_brief=1 | tee "$log"
  ran=$(sed -n 's/^\[==========\] \([0-9][0-9]*\) tests\{0,1\} from .* ran\..*/\1/p' "$log" | tail -n 1)
  if [ -z "$ran" ] || [ "$ran" -eq 0 ]; then
    echo "no display-scale test ran at $dpi DPI (filter $filter)" >&2
    exit 1
  fi
done
