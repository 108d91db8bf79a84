#!/usr/bin/env bash
# Builds everything and runs every test: the core natively (plain and under
# AddressSanitizer/UBSan), a few seconds of each fuzz target, then the Windows
# tests under Wine on a virtual display.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh || exit 1
scripts/build.sh || exit 1
source scripts/wine-env.sh

passed=0
failed=0
count() {  # count <name> <gtest output file> <exit code>
  local p f
  # The run's own summary is its last (a test may show another program's).
  p=$(grep -E '^\[  PASSED  \] [0-9]+ test' "$2" | tail -1 | grep -oE '[0-9]+' | head -1 || true)
  f=$(grep -E '^\[  FAILED  \] [0-9]+ test' "$2" | tail -1 | grep -oE '[0-9]+' | head -1 || true)
  [ -n "$p" ] || p=0
  [ -n "$f" ] || f=0
  if [ "$3" -ne 0 ] && [ "$f" -eq 0 ]; then f=1; echo "$1 ended with exit code $3"; fi
  passed=$((passed + p))
  failed=$((failed + f))
}

log=build/test-logs
mkdir -p "$log"

echo "== structure"
if scripts/check-structure.sh; then passed=$((passed + 1)); else failed=$((failed + 1)); fi

echo "== core tests (native)"
timeout 900 build/native/core_tests --gtest_brief=1 >"$log/core.txt" 2>&1; rc=$?
tail -n 3 "$log/core.txt"; count core "$log/core.txt" $rc

if [ -x build/sanitize/core_tests ]; then
  echo "== core tests (AddressSanitizer, UBSan)"
  timeout 900 build/sanitize/core_tests --gtest_brief=1 >"$log/sanitize.txt" 2>&1; rc=$?
  tail -n 3 "$log/sanitize.txt"; count sanitize "$log/sanitize.txt" $rc
fi

echo "== fuzz targets (5 s each)"
if timeout 600 scripts/fuzz.sh 5 >"$log/fuzz.txt" 2>&1; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  echo "fuzzing found something or failed to build; see $log/fuzz.txt"
fi
cat "$log/fuzz.txt"

echo "== Windows tests (Wine)"
px_start_display
px_prepare_prefix
(cd build/win && timeout 1200 wine win_tests.exe --gtest_brief=1) >"$log/win.txt" 2>&1; rc=$?
tr -d '\r' <"$log/win.txt" >"$log/win.clean.txt"
tail -n 3 "$log/win.clean.txt"; count win "$log/win.clean.txt" $rc

echo "== portable package"
if PX_PACKAGE_SKIP_BUILD=1 scripts/package.sh >"$log/package.txt" 2>&1 &&
   scripts/package-test.sh >>"$log/package.txt" 2>&1; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  echo "package test failed; see $log/package.txt"
fi
tail -n 2 "$log/package.txt"

grep -E '^\[  FAILED  \]|Failure$|^[^ ].*: Failure' "$log"/*.txt | head -40

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
