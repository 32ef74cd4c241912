#!/usr/bin/env bash
# Sets up, builds and runs every test under Wine. Prints ctest's summary last.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$root/tools/setup.sh"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -- -k 0

eval "$("$root/tools/wine-session.sh" start "$build")"
trap '"$root/tools/wine-session.sh" stop "$build"' EXIT
ctest --test-dir "$build" --output-on-failure -j2 "$@"
