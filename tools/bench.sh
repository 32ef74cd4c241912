#!/usr/bin/env bash
# Builds and runs every benchmark (build/bin/bench_*.exe) under Wine. Each prints its own detail
# and one result line per repeat (bench/BenchReport.h); the closing table gathers those lines:
# per work the floor, the median ratio, the spread (lowest..highest), the repeats, the goal and
# ok or MISS. A benchmark that exits with an error is named below the table.
# BENCH_FILTER=substring runs only the benchmarks whose name contains it.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/tools/setup.sh" || exit 1
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
cmake --build "$build" || exit 1
eval "$("$root/tools/wine-session.sh" start "$build")"
lines=$(mktemp)
trap 'rm -f "$lines"; "$root/tools/wine-session.sh" stop "$build"' EXIT
failed=()
for exe in "$build"/bin/bench_*.exe; do
  [ -e "$exe" ] || continue
  name=$(basename "$exe" .exe)
  case "$name" in *"${BENCH_FILTER:-}"*) ;; *) continue ;; esac
  echo "== $name"
  "$root/tools/winerun.sh" "$exe" "$@" | tr -d '\r' | tee -a "$lines" | grep -v -e '^@result	' -e '^@check	'
  rc=${PIPESTATUS[0]}
  [ "$rc" -eq 0 ] || failed+=("$name (exit $rc)")
done

echo
echo "== summary (ratio = time / floor's time in the same run; median over the repeats)"
LC_ALL=C awk -F'\t' '
  $1 == "@result" {
    w = $2
    if (!(w in n)) { order[++works] = w; floor[w] = $3; goal[w] = $4 }
    r[w, ++n[w]] = $5
  }
  $1 == "@check" { checks[++nchecks] = sprintf("%-4s  %s  %s", $3, $2, $4) }
  function median(w,   i, j, t, m, a) {
    m = n[w]
    for (i = 1; i <= m; i++) a[i] = r[w, i]
    for (i = 2; i <= m; i++) for (j = i; j > 1 && a[j - 1] > a[j]; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
    lo[w] = a[1]; hi[w] = a[m]
    return m % 2 ? a[(m + 1) / 2] : (a[m / 2] + a[m / 2 + 1]) / 2
  }
  END {
    if (!works) { print "(no result lines)"; exit }
    fmt = "%-50s  %-44s  %6s  %-13s  %3s  %6s  %s\n"
    printf fmt, "work", "floor", "median", "spread", "n", "goal", ""
    for (k = 1; k <= works; k++) {
      w = order[k]; m = median(w)
      printf fmt, w, floor[w], sprintf("%.2fx", m), sprintf("%.2f..%.2f", lo[w], hi[w]), n[w],
             "<=" goal[w], (m <= goal[w] + 1e-9 ? "ok" : "MISS")
    }
    for (k = 1; k <= nchecks; k++) { if (k == 1) print ""; print checks[k] }
  }' "$lines"
for f in "${failed[@]}"; do echo "failed: $f"; done
[ ${#failed[@]} -eq 0 ]
