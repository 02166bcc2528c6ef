#!/usr/bin/env bash
# The main job, end to end: sets up the machine, builds the library and its programs,
# creates the demo database, starts the service server on a free loopback port, writes a
# working directory whose qrx_serverenv.xml points at it, and walks through what the tool
# does with the library. Stops the server at the end.
#   scripts/demo.sh [--target i686|x86_64] [--database sqlite|postgresql]
# The target is i686 (the tool ships on it) where this machine runs 32-bit programs and
# x86_64 where it does not; the database is a SQLite file by default, or a PostgreSQL server
# that the script starts in the build folder and stops.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
arch=""
database=sqlite
usage() { echo "usage: scripts/demo.sh [--target i686|x86_64] [--database sqlite|postgresql]" >&2; exit 2; }
while (($#)); do
  case "$1" in
    --target) arch="${2:-}"; shift 2 || usage ;;
    --database) database="${2:-}"; shift 2 || usage ;;
    *) usage ;;
  esac
done
if [[ -z "$arch" ]]; then
  qx_default_target
  arch="$QX_DEFAULT_TARGET"
  echo "Target: $arch ($QX_TARGET_WHY; --target chooses)"
fi
[[ "$arch" == i686 || "$arch" == x86_64 ]] || { echo "unknown target: $arch" >&2; exit 2; }
if [[ "$arch" == i686 ]] && ! qx_runs_i686; then echo "the i686 target cannot run here: $QX_I686_WHY" >&2; exit 2; fi
[[ "$database" == sqlite || "$database" == postgresql ]] || { echo "unknown database: $database" >&2; exit 2; }
"$root/scripts/setup.sh"
echo "Building the $arch tree..."
"$root/scripts/build.sh" "$arch" >/dev/null

bin="$root/build/$arch/bin"
wine="$(qx_wine_loader "$arch")"
work="$root/build/demo-workdir"
server_pid=""
stop_all() {
  if [[ -n "$server_pid" ]]; then
    kill -INT "$server_pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.1; done
    kill "$server_pid" 2>/dev/null || true
  fi
  [[ "$database" == postgresql ]] && "$root/scripts/postgres.sh" stop "$root/build/demo-postgres" >/dev/null
  qx_wine_stop
}
trap stop_all EXIT
qx_wine_start

# The database. The ODBC drivers run as Linux programs under Wine, so a SQLite file is
# named by its Linux path. A PostgreSQL login goes as the environment's DBUser and DBPass,
# which the adaptor adds to the connection string.
rm -rf "$work" && mkdir -p "$work"
db_user=demo db_pass=demo-secret
if [[ "$database" == postgresql ]]; then
  pg="$root/build/demo-postgres"
  "$root/scripts/postgres.sh" start "$pg"
  pg_port="$(sed -n 's/.*Port=\([0-9]*\);.*/\1/p' "$pg/connection.txt")"
  db_user=qx db_pass="$(cat "$pg/password")"
  export PGPASSWORD="$db_pass"
  psql -q -h 127.0.0.1 -p "$pg_port" -U qx -d postgres -c "CREATE DATABASE demo" >/dev/null
  psql -q -h 127.0.0.1 -p "$pg_port" -U qx -d demo -v ON_ERROR_STOP=1 -f "$root/demo/demo-postgresql.sql" >/dev/null
  connection="Driver=PostgreSQL Unicode;Server=127.0.0.1;Port=$pg_port;Database=demo;"
else
  sqlite3 "$work/demo.db" ".read $root/demo/demo.sql"
  connection="Driver=SQLite3;Database=$work/demo.db;"
fi

# The service server on a free port: it prints "listening on ADDRESS:PORT" first.
(cd "$bin" && exec "$wine" qxserviced.exe --port 0 --services "Z:$root/demo/server" --connection "$connection" \
   --user "$db_user" --password "$db_pass" \
   >"$work/server.out" 2>"$work/server.log" </dev/null) &
server_pid=$!
port=""
for _ in $(seq 200); do
  port="$(sed -n 's/^listening on [0-9.]*:\([0-9]*\).*/\1/p' "$work/server.out" 2>/dev/null | head -1)"
  [[ -n "$port" ]] && break
  sleep 0.1
done
[[ -n "$port" ]] || { echo "the service server did not start:"; cat "$work/server.log"; exit 1; }

# The working directory: the shipped catalogues, and environments that point at the
# server and at the demo's local service folder.
cp "$root/demo/qrx_adaptor.xml" "$root/demo/qrx_environment.xml" "$root/demo/members.xml" "$work/"
winroot="Z:${root//\//\\}"
cat >"$work/qrx_serverenv.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<environments>
  <local>
    <env name="Demo local" adaptor="ADO" bindmethod="Bind" svc_forder="$winroot\\demo\\services"
         connection_str="$connection" DBUser="$db_user" DBPass="$db_pass"/>
  </local>
  <server>
    <env name="Demo server" grpname="demo" ip="127.0.0.1" port="$port" adaptor="TCP" TimeOut="10"
         DBUser="demo" DBPass="demo-secret"/>
  </server>
</environments>
XML

# The adaptor modules are found in the component folder "." (no ComponentPath is set),
# so the host runs from the folder that holds them.
run() {
  echo
  printf '$ qxinfo'; printf ' %q' "$@"; echo
  (cd "$bin" && "$wine" qxinfo.exe --workdir "Z:${work//\//\\}" "$@" </dev/null)
}
run_failing() {
  if run "$@"; then echo "(expected a failure)"; exit 1; fi
}

echo "Service server listening on 127.0.0.1:$port, serving a $database database"
run environments
run adaptors
run services "Demo server"
run services "Demo local"
run definition "Demo server" demo_customers_by_city
run run "Demo local" demo_customers_by_city city=Lyon
run run "Demo server" demo_customer_orders customer_id=1
run_failing run "Demo server" demo_fail
run members members.xml Customer
echo
echo "Server log:"
cat "$work/server.log"
