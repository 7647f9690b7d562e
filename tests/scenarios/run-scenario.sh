#!/usr/bin/env bash
# Runs one scenario script through dorvane-script and compares its output
# (standard output and exit status) with the .expected file beside it.
#
#   run-scenario.sh BIN_DIR SCRIPT [sqlite|postgres]
#
# The script's data sources come from scenario-data.sh (its header lines
# `# data: NAME [dorvane-data init options]`): on sqlite (the default) the
# folder ./NAME inside a fresh temporary folder, so the script refers to it by
# the relative path NAME (for example `let PathText data`); on postgres a
# fresh database on the test server (the base URI in DORVANE_TEST_PG), which
# dorvane-script maps NAME to and back in the output, so the same .expected
# file holds. A script marked `# backend: sqlite` is skipped (status 77) on
# postgres, as is every script when DORVANE_TEST_PG is not set.
set -euo pipefail
bin_dir=$1
script=$2
backend=${3:-sqlite}
expected=${script%.script}.expected

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
sources=()
cleanup() {
  if [ ${#sources[@]} -gt 0 ]; then "$here/scenario-data.sh" drop "${sources[@]}"; fi
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

made=$("$here/scenario-data.sh" make "$bin_dir" "$script" "$backend")
if [ -n "$made" ]; then mapfile -t sources <<<"$made"; fi
args=()
for source in "${sources[@]}"; do args+=(--source "$source"); done
status=0
"$bin_dir/dorvane-script" "${args[@]}" "$script" >actual.out 2>actual.err || status=$?
echo "exit $status" >>actual.out

if ! diff -u "$expected" actual.out; then
  echo "--- standard error:"
  cat actual.err
  exit 1
fi
