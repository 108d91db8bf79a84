#!/usr/bin/env bash
# scripts/fuzz.sh [seconds [Target...]]: builds the libFuzzer targets of
# tests/fuzz (build/fuzz) and runs each, or those named, for the given seconds
# (default 60) from its seeds in tests/fuzz/corpus, which it only reads, with
# its dictionary tests/fuzz/<Target>.dict where there is one. Prints each
# target's executions; fails when any target found a crash, a leak, a timeout
# or a sanitizer report (the input is kept in build/fuzz/artifacts).
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift $(($# > 0 ? 1 : 0))

scripts/setup.sh clang libclang-rt-14-dev cmake ninja-build || exit 1
cmake -S . -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPX_FUZZ=ON >/dev/null || exit 1
cmake --build build/fuzz -j "$(nproc)" --target fuzz_targets >build/fuzz/build.log 2>&1 || {
  tail -n 30 build/fuzz/build.log
  exit 1
}

failed=0
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in tests/fuzz/*Fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
for name in "${targets[@]}"; do
  [ -x "build/fuzz/$name" ] || { echo "$name: no such fuzz target"; failed=$((failed + 1)); continue; }
  seeds=tests/fuzz/corpus/$name
  work=build/fuzz/corpus/$name  # what the run finds is kept out of the repository
  artifacts=build/fuzz/artifacts/$name/
  log=build/fuzz/$name.log
  dict=()
  [ -f "tests/fuzz/$name.dict" ] && dict=(-dict="tests/fuzz/$name.dict")
  rm -rf "$work"
  mkdir -p "$work" "$artifacts" "$seeds"
  UBSAN_OPTIONS=print_stacktrace=1 "build/fuzz/$name" "$work" "$seeds" "${dict[@]}" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts" >"$log" 2>&1
  rc=$?
  runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' | tail -1)
  if [ "$rc" -ne 0 ] || grep -qE '^==[0-9]+==ERROR|runtime error:|check failed:' "$log"; then
    failed=$((failed + 1))
    echo "$name: FAILED after ${runs:-?} executions (exit code $rc); see $log"
    grep -E 'ERROR|runtime error:|check failed:|^SUMMARY|Test unit written' "$log" | head -n 5
  else
    echo "$name: ${runs:-?} executions, no findings"
  fi
done

[ "$failed" -eq 0 ]
