#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine; quick when all is there.
# setup.sh --client 64|32: only what a run of the client of that bitness needs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

client=
if [ "${1:-}" = --client ]; then
  client=${2:-64}
fi

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

have_cmd cmake || need+=(cmake)
have_cmd ninja || need+=(ninja-build)
# Both compilers come with the one package.
{ have_cmd x86_64-w64-mingw32-g++-posix && have_cmd i686-w64-mingw32-g++-posix; } || need+=(mingw-w64)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
# The 32-bit build's programs run as 32-bit processes of the same Wine (its i386 half).
if [ "$client" != 64 ]; then
  [ -x /usr/lib/wine/wine ] || need+=(wine32:i386)
fi
have_cmd Xvfb || need+=(xvfb)
# Configuring reads GoogleTest's sources even when only the client is built.
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
have_cmd npm || need+=(npm)
# The exported files are read back with Python's csv module.
if [ -z "$client" ]; then
  have_cmd python3 || need+=(python3)
fi
have_pkg fonts-wqy-microhei || need+=(fonts-wqy-microhei)

if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  case " ${need[*]} " in
  *:i386*) dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 ;;
  esac
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# The host's database engine arrives as source at set-up time, checked against a pinned digest.
if [ -x "$here/fetch-sqlite.sh" ]; then
  "$here/fetch-sqlite.sh"
fi
