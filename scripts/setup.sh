#!/usr/bin/env bash
# Installs every Debian package the project needs and makes the Wine prefix that runs the
# targets this machine can run. Safe to run again, also on a machine set up by an earlier
# version of this script: only missing packages are installed, the i386 architecture is
# added once, and a prefix that lacks a half this machine can run is made or updated.
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
  # The analysers and checkers that run as tests: clang-tidy, cppcheck, shellcheck, and
  # clang-format for the formatting.
  clang-tidy cppcheck shellcheck clang-format
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

# The Wine prefix, made with the 64-bit loader: Debian's `wine` wrapper (and `wineboot`
# through it) starts the 32-bit loader, which cannot run where the kernel runs no 32-bit
# programs. A prefix is complete when its 64-bit half is there, and, where 32-bit programs
# run, its 32-bit half too. wineboot's own exit status says little (its 32-bit half fails
# harmlessly where 32-bit programs cannot run), so the files decide, and a prefix that is
# still not complete stops the script here.
# shellcheck source=wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
prefix="${WINEPREFIX:-$HOME/.wine}"
wine64="$(qx_wine_loader x86_64)"
half64="$prefix/drive_c/windows/system32/kernel32.dll"
half32="$prefix/drive_c/windows/syswow64/kernel32.dll"
need32=""
qx_runs_i686 && need32=1
prefix_complete() { [[ -f "$prefix/system.reg" && -f "$half64" && ( -z "$need32" || -f "$half32" ) ]]; }

if ! prefix_complete; then
  if [[ -f "$prefix/system.reg" && -f "$half64" ]]; then
    # Only the 32-bit half is missing (the prefix was made before wine32 was installed, or
    # where 32-bit programs could not run). wineboot cannot add it later: the 32-bit
    # programs that would install it need it to start. The prefix is made anew; the old
    # one is kept beside it.
    kept="$prefix.without-32-bit-half.$(date +%Y%m%d%H%M%S)"
    wineserver -k 2>/dev/null || true
    mv "$prefix" "$kept"
    echo "scripts/setup.sh: $prefix had no 32-bit half; it is kept as $kept and made anew" >&2
  fi
  log="$(mktemp "${TMPDIR:-/tmp}/qx-wineboot.XXXXXX")"
  if [[ -f "$prefix/system.reg" ]]; then how=-u; else how=-i; fi
  "$wine64" wineboot "$how" >"$log" 2>&1 || true
  wineserver -w || true
  if ! prefix_complete; then
    echo "scripts/setup.sh: the Wine prefix $prefix was not made: $wine64 wineboot $how failed" >&2
    [[ -f "$half64" ]] || echo "  its 64-bit half is missing ($half64)" >&2
    [[ -z "$need32" || -f "$half32" ]] || echo "  its 32-bit half is missing ($half32; $QX_I686_WHY)" >&2
    echo "  wineboot said (the last lines of $log):" >&2
    tail -n 20 "$log" | sed 's/^/    /' >&2
    exit 1
  fi
  rm -f "$log"
fi
