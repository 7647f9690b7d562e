#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzzing build for a bounded time each.
#   fuzz/run-fuzzers.sh BIN_DIR [SECONDS] [NAME...]
# Each target first runs its saved inputs (fuzz/regressions/<name>/, when
# there are any) with its seeds (fuzz/corpus/<name>/), as libFuzzer runs a
# corpus before it fuzzes, in a scratch folder holding a small tree of data
# files for the path resolver.
# Seeds made by the build (BIN_DIR/../fuzz-seeds/<name>/: the script fuzzer's
# are the scenario scripts) join the saved ones.
# New inputs go to BIN_DIR/../fuzz-corpus/<name>/, never into the sources;
# a crashing input is kept as BIN_DIR/../fuzz-crashes/<name>-crash-... and the
# script ends with status 1.
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
seconds=${2:-30}
shift $(($# > 1 ? 2 : 1))
source_dir=$(cd "$(dirname "$0")" && pwd)
out_dir=$(dirname "$bin_dir")
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for program in "$bin_dir"/fuzz_*; do names+=("${program##*/fuzz_}"); done
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/CaseDir/data" "$scratch/empty"
: >"$scratch/CaseDir/data/MAIN.MDB"
: >"$scratch/CaseDir/data/qrlsys.mdb"
mkdir -p "$out_dir/fuzz-crashes"

failed=0
for name in "${names[@]}"; do
  program="$bin_dir/fuzz_$name"
  corpus="$out_dir/fuzz-corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  for dir in "$source_dir/regressions/$name" "$source_dir/corpus/$name" "$out_dir/fuzz-seeds/$name"; do
    [ -d "$dir" ] && seeds+=("$dir")
  done
  start=$(date +%s)
  if (cd "$scratch" && "$program" "$corpus" "${seeds[@]}" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
        -print_final_stats=1 -artifact_prefix="$out_dir/fuzz-crashes/$name-") \
        >"$out_dir/fuzz-$name.log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out_dir/fuzz-$name.log" | grep -o '[0-9]*$' || echo '?')
    echo "fuzz $name: $runs inputs in $(($(date +%s) - start)) s, no fault"
  else
    echo "fuzz $name: FAULT (log $out_dir/fuzz-$name.log, input in $out_dir/fuzz-crashes/)"
    grep -m3 -E 'ERROR|runtime error|SUMMARY' "$out_dir/fuzz-$name.log" || true
    failed=1
  fi
done
exit $failed
