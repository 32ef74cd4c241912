#!/usr/bin/env bash
# Builds and runs every benchmark (build/bin/bench_*.exe) under Wine; each prints its own ratios.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build"
eval "$("$root/tools/wine-session.sh" start "$build")"
trap '"$root/tools/wine-session.sh" stop "$build"' EXIT
for exe in "$build"/bin/bench_*.exe; do
  [ -e "$exe" ] || continue
  echo "== $(basename "$exe" .exe)"
  "$root/tools/winerun.sh" "$exe" "$@"
done
