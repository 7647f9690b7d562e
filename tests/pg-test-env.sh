#!/usr/bin/env bash
# Runs a test program with DORVANE_TEST_PG set to the base URI of the test
# server that CTest's `pg` fixture started (tools/pg-test-server.sh writes it to
# the file named by the first argument). Without that file, and without the
# variable already set, the program runs without it and its server tests skip.
set -euo pipefail
uri_file=$1
shift
if [ -z "${DORVANE_TEST_PG:-}" ] && [ -s "$uri_file" ]; then
  DORVANE_TEST_PG=$(cat "$uri_file")
  export DORVANE_TEST_PG
fi
exec "$@"
