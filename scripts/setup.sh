#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian 12 machine, then
# fetches the SQLite amalgamation into the build tree. Safe to run again:
# every step checks first and does nothing when its result is already there.
set -euo pipefail

build_dir=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

SQLITE_PACKAGE=better-sqlite3@12.11.1
SQLITE_TARBALL=better-sqlite3-12.11.1.tgz
SQLITE_SHA256=ebf0ed75a7a59dbcb3b24bbd014ef49d9f15bc328e4adcbf516f2a8fadfa2835

PACKAGES=(
  wine wine64 wine32:i386
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  libz-mingw-w64-dev
  ninja-build cmake make
  xvfb fonts-wine fonts-liberation2
  googletest python3-cryptography
  python3-docx
  cups printer-driver-cups-pdf poppler-utils
  # makensis builds the setup programs of `make dist` on Linux.
  nsis
  # 32-bit Wine reaches CUPS through the 32-bit library.
  libcups2:i386
  ca-certificates
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing_packages() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

install_packages() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture (Wine runs 32-bit programs)"
    as_root dpkg --add-architecture i386
    as_root apt-get update -q
  fi
  local missing
  missing=$(missing_packages)
  # The amalgamation is fetched with npm; a machine that already has Node's own npm keeps it.
  command -v npm >/dev/null || missing="$missing npm"
  [ -z "$missing" ] && return 0
  echo "setup: installing" $missing
  as_root apt-get update -q
  # shellcheck disable=SC2086
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

fetch_sqlite() {
  local deps="$build_dir/deps"
  [ -f "$deps/sqlite3/sqlite3.c" ] && [ -f "$deps/sqlite3/sqlite3.h" ] && return 0
  mkdir -p "$deps"
  if [ ! -f "$deps/$SQLITE_TARBALL" ]; then
    echo "setup: fetching the SQLite amalgamation ($SQLITE_PACKAGE)"
    (cd "$deps" && npm pack --silent "$SQLITE_PACKAGE" >/dev/null)
  fi
  if ! echo "$SQLITE_SHA256  $deps/$SQLITE_TARBALL" | sha256sum -c --quiet -; then
    echo "setup: $SQLITE_TARBALL does not match its pinned checksum; removed it" >&2
    rm -f "$deps/$SQLITE_TARBALL"
    exit 1
  fi
  local tmp
  tmp=$(mktemp -d)
  tar -xzf "$deps/$SQLITE_TARBALL" -C "$tmp" package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
  mkdir -p "$deps/sqlite3"
  mv "$tmp/package/deps/sqlite3/sqlite3.c" "$tmp/package/deps/sqlite3/sqlite3.h" "$deps/sqlite3/"
  rm -rf "$tmp"
}

install_packages
fetch_sqlite
