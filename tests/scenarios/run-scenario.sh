#!/usr/bin/env bash
# Runs one scenario script through dorvane-script in a fresh temporary folder
# and compares its output (standard output and exit status) with the
# .expected file beside it.
#
# A script names the data folders it needs in header lines of the form
#   # data: NAME [dorvane-data init options]
# Each becomes ./NAME inside the temporary folder, so the script refers to it
# by the relative path NAME (for example `let PathText data`).
set -euo pipefail
bin_dir=$1
script=$2
expected=${script%.script}.expected

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

while IFS= read -r line; do
  if [[ $line =~ ^#\ data:\ ([^ ]+)(.*)$ ]]; then
    # shellcheck disable=SC2086
    "$bin_dir/dorvane-data" init "${BASH_REMATCH[1]}" ${BASH_REMATCH[2]} >/dev/null
  fi
done <"$script"

status=0
"$bin_dir/dorvane-script" "$script" >actual.out 2>actual.err || status=$?
echo "exit $status" >>actual.out

if ! diff -u "$expected" actual.out; then
  echo "--- standard error:"
  cat actual.err
  exit 1
fi
