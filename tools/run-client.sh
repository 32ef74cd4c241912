#!/usr/bin/env bash
# Sets up, builds and starts the client on the sample database (generated on first run).
# With a display: the client's window. Without one: a run under Xvfb that writes
# build/client-screenshot.png and prints the client's summary and the first rows of the table.
# The 64-bit client (build/); --32 first runs the 32-bit one (build32/) with the 32-bit module.
# Extra arguments go to the client (for example --end-date 2024-03-15).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = --32 ]; then
  shift
  bits=32 build=${BUILD32_DIR:-$root/build32} toolchain=mingw-w64-i686
else
  bits=64 build=${BUILD_DIR:-$root/build} toolchain=mingw-w64-x86_64
fi

"$root/tools/setup.sh" --client "$bits"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target client_run

mkdir -p "$build/profile"
winpath() { echo "Z:$1"; }
args=(--database "$(winpath "$build/bin/sample.db")" --profile "$(winpath "$build/profile")")

headless=0
[ -z "${DISPLAY:-}" ] && headless=1
eval "$("$root/tools/wine-session.sh" start "$build")"
trap '"$root/tools/wine-session.sh" stop "$build"' EXIT

if [ $headless = 0 ]; then
  "$root/tools/winerun.sh" "$build/bin/Client.exe" "${args[@]}" "$@"
  exit $?
fi

shot=$build/client-screenshot.png
table=$build/client-table.tsv
rm -f "$shot" "$table"
set +e
timeout 300 "$root/tools/winerun.sh" "$build/bin/Client.exe" "${args[@]}" \
  --screenshot "$(winpath "$shot")" --dump "$(winpath "$table")" "$@"
rc=$?
set -e
if [ -f "$table" ]; then
  echo "--- first rows of the product table ($(($(wc -l <"$table") - 1)) rows):"
  head -n 11 "$table" | cut -f1-8 | column -t -s $'\t' 2>/dev/null || head -n 11 "$table"
fi
[ -f "$shot" ] && echo "screenshot: $shot"
exit $rc
