#!/usr/bin/env bash
# The test command of a kill map: run under mutation-sample (from the source
# folder, BUILD defaulting to build-t), it runs the suite without the slow runs
# on the current mutant and appends the mutant's changed line and the names
# of the tests that failed on it to BUILD/kill-map.log. tools/kill-check.py
# then says which mutants a cut suite still kills.
build=${BUILD:-build-t}
log=$build/kill-map.log
failed=$build/Testing/Temporary/LastTestsFailed.log
rm -f "$failed"
ctest --test-dir "$build" -j2 --timeout 120 \
  -E '^install\.|^scenario\.pg\.|ConnectionFault|ManyWorkstations|SiteScale|PgTestServer|^web\.(scenarios|browser|slow_link)$' \
  >/dev/null 2>&1
status=$?
tools/pg-test-server.sh stop "$build/pg-test-server" >/dev/null 2>&1
{
  echo "=== MUTANT"
  git diff -U0 -- control search services | grep '^[-+][^-+]'
  echo "--- rc $status"
  [[ -f $failed ]] && cat "$failed"
} >>"$log"
exit $status
