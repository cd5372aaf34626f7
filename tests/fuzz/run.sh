#!/usr/bin/env bash
# run.sh SECONDS: builds the libFuzzer targets with clang and runs each for SECONDS.
# New inputs go to build-fuzz/corpus-<target>; a crash leaves its input in
# build-fuzz/crash-<target>-* and fails the run. Add fixed crashes to tests/fuzz/corpus.
set -euo pipefail
secs=${1:-60}
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
scripts/deps.sh
CC=clang CXX=clang++ BUILD_TYPE=RelWithDebInfo scripts/build.sh build-fuzz \
  -DMIVORA_FUZZ=ON -DMIVORA_BUILD_GUI=OFF -DMIVORA_BUILD_BENCH=OFF
status=0
for t in assembler datafile settings journal; do
  work="build-fuzz/corpus-$t"
  mkdir -p "$work"
  echo "== fuzz-$t for ${secs}s"
  if ! ASAN_OPTIONS=detect_leaks=1 build-fuzz/bin/fuzz-$t -max_total_time="$secs" -max_len=20000 \
       -artifact_prefix="build-fuzz/crash-$t-" -print_final_stats=1 \
       "$work" "tests/fuzz/corpus/$t" 2> "build-fuzz/fuzz-$t.log"; then
    echo "fuzz-$t FAILED; see build-fuzz/fuzz-$t.log" >&2
    tail -30 "build-fuzz/fuzz-$t.log" >&2
    status=1
  else
    grep -E "stat::number_of_executed_units|Done" "build-fuzz/fuzz-$t.log" | tail -2
  fi
done
exit $status
