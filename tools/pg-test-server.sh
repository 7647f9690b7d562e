#!/usr/bin/env bash
# Starts and stops a throwaway PostgreSQL server for the tests.
#
#   tools/pg-test-server.sh start DIR     start a server, print its base URI
#   tools/pg-test-server.sh stop DIR      stop it and delete its data (no server: no error)
#   tools/pg-test-server.sh restart DIR   stop and start the same server on the same port
#   tools/pg-test-server.sh uri DIR       print the base URI of the running server
#
# DIR is a state folder of the caller (CTest uses BUILD/pg-test-server). The
# cluster itself lives in a fresh folder under ${TMPDIR:-/tmp} (short socket
# paths, reachable by the server's user); DIR/cluster names it and DIR/uri holds
# the base URI, for example postgresql://dorvane@127.0.0.1:54321/ . A test
# appends the name of a database it creates itself.
#
# The server refuses to run as root, so when run as root the cluster belongs to
# the user `postgres` (or `dorvane-pg`, created when neither exists). It listens
# on 127.0.0.1 only, on a free port, with its socket in the cluster folder. The
# superuser role is `dorvane` with trust authentication; members of the role
# `dorvane_password` must give their password (scram-sha-256), so tests of a
# wrong password create a role with a password and grant it dorvane_password.
# Durability is traded for speed (fsync off): the data is thrown away anyway.
# PG_TEST_MAX_CONNECTIONS sets the server's max_connections (200 unless set).
set -euo pipefail

usage() {
  echo "usage: $0 start|stop|restart|uri DIR" >&2
  exit 2
}
[ $# -eq 2 ] || usage
command=$1
state=$2

# Finds the server's programs: pg_config's bindir when it has initdb, else the
# newest /usr/lib/postgresql/*/bin.
FindBinDir() {
  local dir
  if command -v pg_config >/dev/null; then
    dir=$(pg_config --bindir 2>/dev/null || true)
    [ -x "$dir/initdb" ] && { echo "$dir"; return; }
  fi
  dir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  [ -n "$dir" ] && [ -x "$dir/initdb" ] && { echo "$dir"; return; }
  echo "pg-test-server: no PostgreSQL server programs found (install the Debian package postgresql)" >&2
  exit 1
}

# Picks the unprivileged user that owns and runs the cluster when we are root.
ServerUser() {
  local user
  for user in postgres dorvane-pg; do
    id -u "$user" >/dev/null 2>&1 && { echo "$user"; return; }
  done
  useradd --system --no-create-home --shell /usr/sbin/nologin dorvane-pg
  echo dorvane-pg
}

# Runs a command as the cluster's owner (as ourselves when we are not root).
AsServer() {
  if [ "$(id -u)" = 0 ]; then
    runuser -u "$server_user" -- "$@"
  else
    "$@"
  fi
}

# True when something already listens on 127.0.0.1:$1.
PortBusy() {
  ss -Hltn "sport = :$1" 2>/dev/null | grep -q . && return 0
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# Starts the cluster of $cluster on port $1 and waits until it takes connections.
StartOn() {
  AsServer "$bin/pg_ctl" -D "$cluster/data" -l "$cluster/server.log" -w -t 30 -s \
    -o "-p $1 -k $cluster -h 127.0.0.1" start >/dev/null 2>&1
}

Stop() {
  [ -f "$state/cluster" ] || { rm -f "$state/uri"; return 0; }
  local cluster
  cluster=$(cat "$state/cluster")
  if [ -f "$cluster/data/postmaster.pid" ]; then
    bin=$(FindBinDir)
    if [ "$(id -u)" = 0 ]; then server_user=$(stat -c %U "$cluster/data"); fi
    AsServer "$bin/pg_ctl" -D "$cluster/data" -m fast -w -t 20 -s stop >/dev/null 2>&1 ||
      AsServer "$bin/pg_ctl" -D "$cluster/data" -m immediate -w -t 10 -s stop >/dev/null 2>&1 ||
      true
    if [ -f "$cluster/data/postmaster.pid" ]; then
      local pid
      pid=$(head -n 1 "$cluster/data/postmaster.pid")
      [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true
    fi
  fi
  # Only ever delete a folder this script made.
  case $cluster in
    */dorvane-pg.*) rm -rf "$cluster" ;;
  esac
  rm -f "$state/cluster" "$state/uri"
}

Start() {
  Stop
  mkdir -p "$state"
  bin=$(FindBinDir)
  server_user=$(id -un)
  [ "$(id -u)" = 0 ] && server_user=$(ServerUser)
  cluster=$(mktemp -d "${TMPDIR:-/tmp}/dorvane-pg.XXXXXX")
  echo "$cluster" >"$state/cluster"
  chmod 755 "$cluster"
  [ "$(id -u)" = 0 ] && chown "$server_user" "$cluster"
  # C collation and character type: lower() folds ASCII letters only.
  if ! AsServer "$bin/initdb" -D "$cluster/data" -U dorvane -A trust -E UTF8 --locale=C \
    --no-instructions >"$cluster/initdb.log" 2>&1; then
    cat "$cluster/initdb.log" >&2
    echo "pg-test-server: initdb failed" >&2
    exit 1
  fi
  cat >"$cluster/data/pg_hba.conf" <<'EOF'
local all all                         trust
host  all +dorvane_password 127.0.0.1/32 scram-sha-256
host  all all               127.0.0.1/32 trust
EOF
  cat >>"$cluster/data/postgresql.conf" <<EOF
listen_addresses = '127.0.0.1'
max_connections = ${PG_TEST_MAX_CONNECTIONS:-200}
fsync = off
synchronous_commit = off
full_page_writes = off
password_encryption = scram-sha-256
EOF
  # A free port, retried a bounded number of times since another run may take
  # the port between the check and the start.
  local attempt port=""
  for attempt in $(seq 1 20); do
    port=$((20000 + (RANDOM * 32768 + RANDOM) % 40000))
    PortBusy "$port" && continue
    if StartOn "$port"; then
      WriteUri "$port"
      AsServer "$bin/psql" -h "$cluster" -p "$port" -U dorvane -d postgres -qAt \
        -c "CREATE ROLE dorvane_password NOLOGIN" >/dev/null
      cat "$state/uri"
      return 0
    fi
  done
  cat "$cluster/server.log" >&2 2>/dev/null || true
  echo "pg-test-server: the server did not start (tried 20 ports)" >&2
  Stop
  exit 1
}

WriteUri() {
  echo "$1" >"$cluster/port"
  echo "postgresql://dorvane@127.0.0.1:$1/" >"$state/uri"
}

Restart() {
  [ -f "$state/cluster" ] || { echo "pg-test-server: no server in $state" >&2; exit 1; }
  cluster=$(cat "$state/cluster")
  bin=$(FindBinDir)
  server_user=$(id -un)
  [ "$(id -u)" = 0 ] && server_user=$(stat -c %U "$cluster/data")
  AsServer "$bin/pg_ctl" -D "$cluster/data" -m fast -w -t 20 -s stop >/dev/null 2>&1 || true
  StartOn "$(cat "$cluster/port")" || { echo "pg-test-server: restart failed" >&2; exit 1; }
  cat "$state/uri"
}

case $command in
  start) Start ;;
  stop) Stop ;;
  restart) Restart ;;
  uri) cat "$state/uri" ;;
  *) usage ;;
esac
