#!/usr/bin/env bash
# Installs what the build and the suites need on Debian 12, only when
# something is missing; quick and silent when everything is present.
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
pkg_present() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686 binutils-mingw-w64-i686)
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64)
have wine || need+=(wine)
# The 64-bit loader: the 64-bit build's suites, and the only Wine a host that runs
# no 32-bit x86 code can start.
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
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
# The panel page (kestan-io serve --http): civetweb, JSON by nlohmann-json, and
# the headless Chromium its suite drives through chromedriver and Selenium.
pkg_present libcivetweb-dev || need+=(libcivetweb-dev)
pkg_present nlohmann-json3-dev || need+=(nlohmann-json3-dev)
[ -x /usr/bin/chromium ] || need+=(chromium)
[ -x /usr/bin/chromedriver ] || need+=(chromium-driver)
pkg_present python3-selenium || need+=(python3-selenium)
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

# A mirror in the middle of a sync serves an index of the wrong size for a while:
# try three times, then go on with the lists there are and name what is missing.
update_indexes() {
  local try log
  log=$(mktemp)
  for try in 1 2 3; do
    if $sudo apt-get update -q >"$log" 2>&1; then rm -f "$log"; return 0; fi
    [ "$try" -lt 3 ] && sleep $((try * 3))
  done
  local failed
  failed=$(grep -oE '^E: Failed to fetch [^ ]+' "$log" | sed 's/^E: Failed to fetch //' | tr '\n' ' ')
  echo "install-deps: package index unavailable, going on with the lists there are: ${failed:-see apt-get update}"
  rm -f "$log"
}

# An index that stayed stale can leave an architecture's library a version behind
# its twin of the other architecture (Multi-Arch: same refuses that pair); the
# release's own versions always match, so a second try pins the release.
install_packages() {
  local apt=(env DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends)
  "${apt[@]}" "$@" && return 0
  local release
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  echo "install-deps: install failed; trying once more with the packages of $release"
  "${apt[@]}" -t "$release" "$@"
}

update_indexes
install_packages "${need[@]}"
