#!/usr/bin/env bash
# Makes the data sources a scenario script names, and drops them again: for
# run-scenario.sh and tools/web-replay.
#
#   scenario-data.sh make BIN_DIR SCRIPT [sqlite|postgres]
#   scenario-data.sh drop NAME=PLACE...
#
# `make` reads the script's header lines of the form
#   # data: NAME [dorvane-data init options]
# On sqlite (the default) each becomes the folder ./NAME of the current
# folder. On postgres each becomes a fresh database on the test server (the
# base URI in DORVANE_TEST_PG), made with the same options, and a line
# NAME=PLACE is printed for it: the --source of dorvane-script, and what
# `drop` takes afterwards. A script about files and folders declares
#   # backend: sqlite
# and is skipped on postgres, as is every script when DORVANE_TEST_PG is not
# set: the reason goes to standard error and the status is 77. A make that
# fails drops the databases it made.
set -euo pipefail
action=${1:-}

if [ "$action" = drop ]; then
  shift
  for assignment in "$@"; do
    db=${assignment#*=}
    db=${db#"${DORVANE_TEST_PG:-}"}
    psql "${DORVANE_TEST_PG}postgres" -qAt -c "DROP DATABASE IF EXISTS $db WITH (FORCE)" \
      >/dev/null 2>&1 || true
  done
  exit 0
fi
if [ "$action" != make ] || [ $# -lt 3 ]; then
  echo "usage: scenario-data.sh make BIN_DIR SCRIPT [sqlite|postgres] | drop NAME=PLACE..." >&2
  exit 2
fi
bin_dir=$2
script=$3
backend=${4:-sqlite}

case $backend in
  sqlite) ;;
  postgres)
    if grep -q '^# backend: sqlite' "$script"; then
      echo "skipped: the scenario is about data folders (# backend: sqlite)" >&2
      exit 77
    fi
    if [ -z "${DORVANE_TEST_PG:-}" ]; then
      echo "skipped: DORVANE_TEST_PG is not set (no PostgreSQL test server)" >&2
      exit 77
    fi
    ;;
  *)
    echo "scenario-data.sh: unknown backend $backend (sqlite or postgres)" >&2
    exit 2
    ;;
esac

made=()
drop_made_on_failure() {
  local status=$?
  if [ $status -ne 0 ] && [ ${#made[@]} -gt 0 ]; then "$0" drop "${made[@]}"; fi
}
trap drop_made_on_failure EXIT
scenario=$(basename "${script%.script}")
while IFS= read -r line; do
  if [[ $line =~ ^#\ data:\ ([^ ]+)(.*)$ ]]; then
    name=${BASH_REMATCH[1]}
    options=${BASH_REMATCH[2]}
    place=$name
    if [ "$backend" = postgres ]; then
      db="dorvane_s_${scenario,,}_${name,,}_$$"
      db=${db//[^a-z0-9_]/_}
      psql "${DORVANE_TEST_PG}postgres" -qAt -v ON_ERROR_STOP=1 -c "CREATE DATABASE $db" >/dev/null
      place="${DORVANE_TEST_PG}$db"
      made+=("$name=$place")
    fi
    # shellcheck disable=SC2086
    "$bin_dir/dorvane-data" init "$place" $options >/dev/null
  fi
done <"$script"
if [ ${#made[@]} -gt 0 ]; then printf '%s\n' "${made[@]}"; fi
