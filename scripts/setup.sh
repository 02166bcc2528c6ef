#!/usr/bin/env bash
# Installs every Debian package the project needs. Safe to run again: packages that are
# already present are not downloaded twice, and the Wine prefix is only created once.
set -euo pipefail

PACKAGES=(
  cmake make googletest
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine64 xvfb x11-apps imagemagick
  unixodbc libsqliteodbc sqlite3
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  SUDO=""
  [[ $(id -u) -eq 0 ]] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

# A Wine prefix made once up front keeps the first test from paying for it.
export WINEDEBUG=-all
if [[ ! -f "${WINEPREFIX:-$HOME/.wine}/system.reg" ]]; then
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi
