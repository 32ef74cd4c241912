#!/usr/bin/env bash
# Puts the SQLite amalgamation (sqlite3.c, sqlite3.h) into third_party/sqlite/, taken from the npm
# package that carries it and checked against the digests pinned in tools/sqlite.sha256.
# Quick when the checked files are already there. Installs npm when it is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
dest=${SQLITE_DIR:-$root/third_party/sqlite}
package=better-sqlite3
version=12.11.1
tarball=$package-$version.tgz
sums=$here/sqlite.sha256

check_files() {
  (cd "$dest" && grep -E ' sqlite3\.(c|h)$' "$sums" | sha256sum --quiet -c - >/dev/null 2>&1)
}

if [ -f "$dest/sqlite3.c" ] && [ -f "$dest/sqlite3.h" ] && check_files; then
  exit 0
fi

if ! command -v npm >/dev/null 2>&1; then
  echo "fetch-sqlite: installing npm"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends npm >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "fetch-sqlite: fetching $package@$version"
(cd "$work" && npm pack --silent "$package@$version" >/dev/null)
(cd "$work" && grep -F " $tarball" "$sums" | sha256sum --quiet -c -) || {
  echo "fetch-sqlite: $tarball does not match its pinned digest" >&2
  exit 1
}
tar -xzf "$work/$tarball" -C "$work" package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
mkdir -p "$dest"
cp "$work/package/deps/sqlite3/sqlite3.c" "$work/package/deps/sqlite3/sqlite3.h" "$dest/"
check_files || {
  echo "fetch-sqlite: unpacked sources do not match their pinned digests" >&2
  exit 1
}
echo "fetch-sqlite: SQLite sources in $dest"
