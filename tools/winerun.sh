#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's prefix; ctest uses this as its emulator.
# The prefix lives inside the build tree, next to the bin/ folder of the program.
set -u
exe=$1; shift
bindir=$(cd "$(dirname "$exe")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$(dirname "$bindir")/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEPATH="$bindir"
# Wine's background services inherit the output handles of the program that starts them and
# outlive it; writing to a file rather than the caller's pipe keeps the caller from waiting on them.
out=$(mktemp)
/usr/lib/wine/wine64 "$exe" "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
