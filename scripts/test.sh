#!/usr/bin/env bash
# The whole suite: native tests under the sanitizers, then the Windows suites and the end-to-end tests
# under Wine in a fresh prefix. Prints one closing line with the totals.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
logdir=build/test-logs; mkdir -p "$logdir"
failed_runs=0

run_ctest() { # name, build dir, extra args...
  local name=$1 dir=$2; shift 2
  echo "== $name"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" "$@" 2>&1 | tee "$logdir/$name.log"
  [ "${PIPESTATUS[0]}" = 0 ] || failed_runs=$((failed_runs + 1))
}

run_ctest native build/native --timeout 600

scripts/wineprefix
source scripts/xvfb
run_ctest wine build/win --timeout 900
wineserver -k 2>/dev/null || true

passed=0; failed=0
for f in "$logdir"/native.log "$logdir"/wine.log; do
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$f" | tail -n 1)
  [ -n "$line" ] || { failed_runs=$((failed_runs + 1)); continue; }
  total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
  bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed.*/\1/')
  passed=$((passed + total - bad)); failed=$((failed + bad))
done
echo "tests: $passed passed, $failed failed"
[ "$failed" = 0 ] && [ "$failed_runs" = 0 ]
