#!/usr/bin/env bash
# Installs every Debian package the project needs and makes the Wine prefix that runs both
# targets. Safe to run again, also on a machine set up by an earlier version of this script:
# only missing packages are installed, the i386 architecture is added once, and a prefix
# made before the 32-bit half of Wine was installed is updated to hold it.
set -euo pipefail

SUDO=""
[[ $(id -u) -eq 0 ]] || SUDO="sudo"

PACKAGES=(
  cmake make googletest
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 wine32:i386 xvfb x11-apps imagemagick
  # The window tests measure text in the fonts Wine ships (Tahoma and the rest).
  fonts-wine fonts-liberation
  # 64-bit ODBC with its command-line tools; the 32-bit driver manager alone, since
  # unixodbc:i386 would replace the 64-bit tools.
  unixodbc libsqliteodbc sqlite3 libodbc2:i386 libsqliteodbc:i386
  # A throwaway PostgreSQL cluster for the database-server tests, reached through ODBC.
  postgresql odbc-postgresql odbc-postgresql:i386
)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=1
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in "${PACKAGES[@]}"; do installed "$p" || missing+=("$p"); done

if ((${#missing[@]})); then
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
elif [[ -n "${need_update:-}" ]]; then
  $SUDO apt-get update -qq
fi

# The prefix: made once; updated when it lacks the 32-bit half (a prefix made before wine32
# was installed has no syswow64 programs).
export WINEDEBUG=-all
prefix="${WINEPREFIX:-$HOME/.wine}"
if [[ ! -f "$prefix/system.reg" ]]; then
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
elif [[ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]]; then
  wineboot -u >/dev/null 2>&1 || true
  wineserver -w || true
fi
