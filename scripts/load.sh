#!/usr/bin/env bash
# Several service servers on one database, under mixed reads and writes, side by side on
# PostgreSQL (a cluster this script starts in the build folder and stops) and on SQLite:
#   scripts/load.sh [--target i686|x86_64] [bench_cluster_load options...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
arch=x86_64
if [[ "${1:-}" == --target ]]; then arch="${2:?--target needs i686 or x86_64}"; shift 2; fi
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$arch" >/dev/null
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
pg="$root/build/$arch/postgres"
# shellcheck disable=SC2317  # called by the trap
stop_all() { "$root/scripts/postgres.sh" stop "$pg" >/dev/null; qx_wine_stop; }
trap stop_all EXIT
qx_wine_start
"$root/scripts/postgres.sh" start "$pg"
cd "$root/build/$arch/bin"
status=0
for database in postgresql sqlite; do
  "$(qx_wine_loader "$arch")" bench_cluster_load.exe --database "$database" "$@" || status=1
done
exit $status
