#!/usr/bin/env bash
# Runs one scenario script through dorvane-script and compares its output
# (standard output and exit status) with the .expected file beside it.
#
#   run-scenario.sh BIN_DIR SCRIPT [sqlite|postgres]
#
# A script names the data sources it needs in header lines of the form
#   # data: NAME [dorvane-data init options]
# On sqlite (the default) each becomes the folder ./NAME inside a fresh
# temporary folder, so the script refers to it by the relative path NAME (for
# example `let PathText data`). On postgres each becomes a fresh database on
# the test server (the base URI in DORVANE_TEST_PG), made with the same
# options, and dorvane-script maps NAME to its URI and back in the output, so
# the same .expected file holds. A script about files and folders declares
#   # backend: sqlite
# and is skipped (status 77) on postgres, as is every script when
# DORVANE_TEST_PG is not set.
set -euo pipefail
bin_dir=$1
script=$2
backend=${3:-sqlite}
expected=${script%.script}.expected
skip=77

work=$(mktemp -d)
databases=()
cleanup() {
  for db in "${databases[@]}"; do
    psql "${DORVANE_TEST_PG}postgres" -qAt -c "DROP DATABASE IF EXISTS $db WITH (FORCE)" \
      >/dev/null 2>&1 || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

sources=()
case $backend in
  sqlite) ;;
  postgres)
    if grep -q '^# backend: sqlite' "$script"; then
      echo "skipped: the scenario is about data folders (# backend: sqlite)"
      exit $skip
    fi
    if [ -z "${DORVANE_TEST_PG:-}" ]; then
      echo "skipped: DORVANE_TEST_PG is not set (no PostgreSQL test server)"
      exit $skip
    fi
    ;;
  *)
    echo "run-scenario.sh: unknown backend $backend (sqlite or postgres)" >&2
    exit 2
    ;;
esac

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
      databases+=("$db")
      place="${DORVANE_TEST_PG}$db"
      sources+=(--source "$name=$place")
    fi
    # shellcheck disable=SC2086
    "$bin_dir/dorvane-data" init "$place" $options >/dev/null
  fi
done <"$script"

status=0
"$bin_dir/dorvane-script" "${sources[@]}" "$script" >actual.out 2>actual.err || status=$?
echo "exit $status" >>actual.out

if ! diff -u "$expected" actual.out; then
  echo "--- standard error:"
  cat actual.err
  exit 1
fi
