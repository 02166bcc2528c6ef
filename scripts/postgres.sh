#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests, inside a folder of the build tree:
#   scripts/postgres.sh start DIR   makes a fresh cluster in DIR, starts it on a free
#                                   loopback port and writes its ODBC connection string
#                                   (without a database) to DIR/connection.txt
#   scripts/postgres.sh stop DIR    stops it; nothing keeps running
# Nothing is written outside DIR: the data, the socket, the lock and the log live there.
# PostgreSQL refuses to run as root: as root, the cluster runs as the postgres user.
set -euo pipefail
action="${1:?usage: postgres.sh start|stop DIR}"
dir="${2:?usage: postgres.sh start|stop DIR}"
pgbin="$(printf '%s\n' /usr/lib/postgresql/*/bin | sort -V | tail -1)"
[[ -x "$pgbin/pg_ctl" ]] || { echo "PostgreSQL is not installed (scripts/setup.sh installs it)" >&2; exit 1; }

as_owner=()
[[ $(id -u) -eq 0 ]] && as_owner=(runuser -u postgres --)

stop() {
  if [[ -f "$dir/data/postmaster.pid" ]]; then
    "${as_owner[@]}" "$pgbin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
}

free_port() {
  local port
  for _ in $(seq 100); do
    port=$((20000 + RANDOM % 40000))
    # A refused connection means nobody listens there.
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then echo "$port"; return; fi
  done
  return 1
}

case "$action" in
start)
  started=$(date +%s%N)
  stop
  rm -rf "$dir"
  mkdir -p "$dir"
  password="qx-test-$RANDOM$RANDOM"
  printf '%s\n' "$password" >"$dir/password"
  [[ ${#as_owner[@]} -gt 0 ]] && chown -R postgres "$dir"
  "${as_owner[@]}" "$pgbin/initdb" -D "$dir/data" -U qx --pwfile="$dir/password" --auth=scram-sha-256 \
    -E UTF8 --locale=C.UTF-8 --no-sync >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
  port=$(free_port)
  # A test cluster: no durability is needed, and it should start and stop fast.
  "${as_owner[@]}" "$pgbin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
    -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
    start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
  printf 'Driver=PostgreSQL Unicode;Server=127.0.0.1;Port=%s;Uid=qx;Pwd=%s;' "$port" "$password" >"$dir/connection.txt"
  chmod 644 "$dir/connection.txt"
  echo "PostgreSQL started on 127.0.0.1:$port in $(( ($(date +%s%N) - started) / 1000000 )) ms ($dir)"
  ;;
stop)
  stopped=$(date +%s%N)
  stop
  echo "PostgreSQL stopped in $(( ($(date +%s%N) - stopped) / 1000000 )) ms"
  ;;
*) echo "usage: postgres.sh start|stop DIR" >&2; exit 2 ;;
esac
