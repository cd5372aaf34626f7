#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then the same with the sanitizers.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh build
(cd build && ctest --output-on-failure -j "$(nproc)")
if [ "${MIVORA_SKIP_SANITIZERS:-0}" != 1 ]; then
  echo "== AddressSanitizer + UndefinedBehaviorSanitizer =="
  # The core, the CLI and their tests; the window is left to the main run.
  BUILD_TYPE=Debug scripts/build.sh build-asan -DMIVORA_SANITIZE=ON -DMIVORA_BUILD_BENCH=OFF \
    -DMIVORA_BUILD_GUI=OFF
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  (cd build-asan && ctest --output-on-failure -j "$(nproc)" -L "unit|e2e")
fi
