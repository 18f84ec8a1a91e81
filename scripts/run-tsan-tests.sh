#!/usr/bin/env bash
# Builds the whole suite with ThreadSanitizer into build-tsan/ and runs it; any report fails
# the run. ThreadSanitizer cannot map its shadow memory when the kernel randomizes addresses
# with many bits, so the tests run with address randomization off for this process tree.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build-tsan} scripts/build.sh -DPOSTPLAY_TSAN=ON -DPOSTPLAY_BENCHMARKS=OFF \
  -DCMAKE_BUILD_TYPE=Debug "$@"
# Reports from Mesa's software renderer (the window under Xvfb) are its own, not ours.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan-suppressions.txt ${TSAN_OPTIONS:-}"
runner=()
if command -v setarch >/dev/null && setarch "$(uname -m)" -R true 2>/dev/null; then
  runner=(setarch "$(uname -m)" -R)
fi
"${runner[@]}" ctest --test-dir "${BUILD_DIR:-build-tsan}" --output-on-failure -j "$(nproc)"
