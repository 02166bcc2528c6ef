#!/usr/bin/env bash
# Builds a tree (QX_TARGET, default i686) and runs the service server on the demo's sources and database:
#   scripts/serve-demo.sh [PORT]     (default 7311, the port of demo/qrx_serverenv.xml)
# Stop it with Ctrl+C.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
port="${1:-7311}"
"$root/scripts/build.sh" "${QX_TARGET:-i686}" >/dev/null
bin="$root/build/${QX_TARGET:-i686}/bin"
export WINEDEBUG=-all
cd "$bin"
# The SQLite driver runs as a Linux program under Wine: the database path is a Linux path.
exec wine qxserviced.exe --port "$port" --services "Z:$root/demo/server" \
  --connection "Driver=SQLite3;Database=$root/build/${QX_TARGET:-i686}/share/QxQVInfo320U/demo/demo.db;"
