#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine; quick when all is there.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

have_cmd cmake || need+=(cmake)
have_cmd ninja || need+=(ninja-build)
have_cmd x86_64-w64-mingw32-g++-posix || need+=(mingw-w64)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
have_cmd Xvfb || need+=(xvfb)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
have_cmd npm || need+=(npm)
# The exported files are read back with Python's csv module.
have_cmd python3 || need+=(python3)
have_pkg fonts-wqy-microhei || need+=(fonts-wqy-microhei)

if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# The host's database engine arrives as source at set-up time, checked against a pinned digest.
if [ -x "$here/fetch-sqlite.sh" ]; then
  "$here/fetch-sqlite.sh"
fi
