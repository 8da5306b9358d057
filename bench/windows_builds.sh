# Sourced by the Windows benchmarks' run.sh scripts: the builds to measure
# side by side, and a Wine session for each.
#   bench_builds      sets builds: win32 (where this host runs 32-bit x86
#                     code, scripts/host-probe.sh) and win64, each only if built
#   bench_session ARCH COMMAND...   COMMAND in that build's Wine session on a
#                     virtual display of its own
bench_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

bench_builds() {
  builds=()
  local probe
  if probe=$("$bench_top/scripts/host-probe.sh"); then
    [ -d "$bench_top/build/win32/simulator" ] && builds+=(win32)
  else
    echo "the 32-bit build is not measured: $probe"
  fi
  [ -d "$bench_top/build/win64/simulator" ] && builds+=(win64)
  [ ${#builds[@]} -gt 0 ] || { echo "no Windows build to measure: make build-win32 build-win64" >&2; exit 1; }
  echo "builds measured side by side: ${builds[*]}"
}

bench_session() {
  local arch=$1
  shift
  KIT_ARCH=$arch "$bench_top/scripts/xvfb-session.sh" "$bench_top/scripts/wine-session.sh" "$@"
}
