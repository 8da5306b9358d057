#!/usr/bin/env bash
# Installs what the build and the suites need on Debian 12, only when
# something is missing; quick and silent when everything is present.
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
pkg_present() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686 binutils-mingw-w64-i686)
have wine || need+=(wine)
pkg_present wine32:i386 || need+=(wine32:i386)
pkg_present fonts-wine || need+=(fonts-wine)
have xvfb-run || need+=(xvfb)
have xauth || need+=(xauth)
have xdotool || need+=(xdotool)
[ -x /usr/bin/import ] || need+=(imagemagick)
have xwininfo || need+=(x11-utils)
# tests/wine/userview/timed_shot.py: a screen copy at a known moment (ctypes, Xlib).
[ -x /usr/bin/python3 ] || need+=(python3)
# The kestan Python package's suite: Debian's pytest for Debian's python3.
pkg_present python3-pytest || need+=(python3-pytest)
have pkg-config || need+=(pkg-config)
have cmake || need+=(cmake)
have make || need+=(make)
have zip || need+=(zip)
have unzip || need+=(unzip)
have g++ || need+=(g++)
[ -d /usr/src/googletest ] || need+=(googletest)
pkg_present libgtest-dev || need+=(libgtest-dev)
pkg_present libbenchmark-dev || need+=(libbenchmark-dev)
# bench/panels' lamp_latency: Xlib and XTEST.
pkg_present libx11-dev || need+=(libx11-dev)
pkg_present libxtst-dev || need+=(libxtst-dev)
# The Modbus server (libmodbus) and the real clients its suite runs.
pkg_present libmodbus-dev || need+=(libmodbus-dev)
have mbpoll || need+=(mbpoll)
pkg_present python3-pymodbus || need+=(python3-pymodbus)
# pymodbus's client module imports serial_asyncio, which Debian only recommends.
pkg_present python3-serial-asyncio || need+=(python3-serial-asyncio)
have clang++ || need+=(clang)
[ -n "$(ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a 2>/dev/null)" ] || need+=(libclang-rt-14-dev)

[ ${#need[@]} -eq 0 ] && exit 0

echo "Installing: ${need[*]}"
sudo=""
if [ "$(id -u)" != 0 ]; then
  if have sudo; then sudo=sudo; else
    echo "These Debian packages are missing and I am not root: ${need[*]}" >&2
    exit 1
  fi
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${need[@]}"
