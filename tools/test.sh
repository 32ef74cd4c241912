#!/usr/bin/env bash
# Sets up, builds and runs every test under Wine, for each bitness: the 64-bit build in build/
# and the 32-bit one in build32/ (AF_BITS="64" or "32" runs one of them). Each run prints
# ctest's summary; the last lines repeat both, and the script fails when either run failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/tools/setup.sh"

summaries=()
status=0
for bits in ${AF_BITS:-64 32}; do
  case "$bits" in
  64) build=${BUILD_DIR:-$root/build} toolchain=mingw-w64-x86_64 ;;
  32) build=${BUILD32_DIR:-$root/build32} toolchain=mingw-w64-i686 ;;
  *) echo "test.sh: AF_BITS takes 64 and 32, not $bits" >&2; exit 2 ;;
  esac
  echo "== $bits-bit: $build"
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
  log=$(mktemp)
  set +e
  (
    set -e
    cmake --build "$build" -- -k 0
    eval "$("$root/tools/wine-session.sh" start "$build")"
    trap '"$root/tools/wine-session.sh" stop "$build"' EXIT
    ctest --test-dir "$build" --output-on-failure -j2 "$@"
  ) 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  set -e
  line=$(grep -E '^[0-9]+% tests passed' "$log" | tail -n 1 || true)
  took=$(grep -E '^Total Test time' "$log" | tail -n 1 | sed 's/.*= *//' || true)
  summaries+=("$bits-bit: ${line:-no tests ran (exit $rc)}${took:+ ($took of tests)}")
  rm -f "$log"
  [ "$rc" -eq 0 ] || status=1
done

echo
for s in "${summaries[@]}"; do echo "$s"; done
exit $status
