#!/usr/bin/env bash
# Builds a tree (QX_TARGET; by default i686 where 32-bit programs run, else x86_64) and runs
# the service server on the demo's sources and database:
#   scripts/serve-demo.sh [PORT]     (default 7311, the port of demo/qrx_serverenv.xml)
# Stop it with Ctrl+C.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
port="${1:-7311}"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
arch="${QX_TARGET:-}"
if [[ -z "$arch" ]]; then
  qx_default_target
  arch="$QX_DEFAULT_TARGET"
  echo "Target: $arch ($QX_TARGET_WHY)" >&2
fi
"$root/scripts/build.sh" "$arch" >/dev/null
cd "$root/build/$arch/bin"
# The SQLite driver runs as a Linux program under Wine: the database path is a Linux path.
exec "$(qx_wine_loader "$arch")" qxserviced.exe --port "$port" --services "Z:$root/demo/server" \
  --connection "Driver=SQLite3;Database=$root/build/$arch/share/QxQVInfo320U/demo/demo.db;"
