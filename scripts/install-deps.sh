#!/usr/bin/env bash
# Installs the build and test tools on a Debian or Ubuntu machine, only what is missing.
# Needs root (or sudo) for apt-get; otherwise prints the command to run.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

have_cmd i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686-posix)
have_cmd i686-w64-mingw32-windres   || need+=(binutils-mingw-w64-i686)
have_cmd wine                        || need+=(wine wine64)
have_pkg wine32:i386                 || need+=(wine32:i386)
have_cmd Xvfb                        || need+=(xvfb)
have_cmd xauth                       || need+=(xauth)
have_cmd cmake                       || need+=(cmake)
have_cmd ninja                       || need+=(ninja-build)
have_cmd g++                         || need+=(g++)
have_cmd clang++                     || need+=(clang)
have_pkg googletest                  || need+=(googletest)
have_pkg libgtest-dev                || need+=(libgtest-dev)
have_cmd import                      || need+=(imagemagick)
# clang's sanitizer and libFuzzer runtimes
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 \
  || need+=("libclang-rt-$(clang --version 2>/dev/null | sed -n 's/.*version \([0-9]*\).*/\1/p' | head -n1 || echo 14)-dev")

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

# libclang-rt-<n>-dev with an empty <n> when clang itself is still missing
for i in "${!need[@]}"; do
  [ "${need[$i]}" = "libclang-rt--dev" ] && need[$i]=libclang-rt-14-dev
done

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if have_cmd sudo && sudo -n true 2>/dev/null; then
    sudo="sudo"
  else
    echo "Missing packages: ${need[*]}" >&2
    echo "Run as root:" >&2
    echo "  dpkg --add-architecture i386 && apt-get update && apt-get install -y ${need[*]}" >&2
    exit 1
  fi
fi

echo "Installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
$sudo apt-get update -q
$sudo apt-get install -y -q "${need[@]}"
