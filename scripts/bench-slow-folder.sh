#!/usr/bin/env bash
# The workshop page frame with its folder on a slow drive: every status query or opening of
# the folder takes 200 ms (SLOW_FS_DELAY_MS overrides it), through scripts/slow_fs_shim.c put
# in front of the C library. Prints the benchmark's table; its counters p50_us and p99_us are
# the frame times, folder_query_ms shows that the drive was slow.
#
#     scripts/bench-slow-folder.sh [BENCHMARK OPTIONS...]
#
# BENCH_BUILD_DIR names the build (default build-bench, configured in Release when missing).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BENCH_BUILD_DIR:-build-bench}
[ -f "$build_dir/CMakeCache.txt" ] || cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build_dir" -j 2 --target bench_workshop_slow_folder
mkdir -p "$build_dir/bench-shim"
cc -shared -fPIC -O2 -Wall -Werror -o "$build_dir/bench-shim/libslowfs.so" scripts/slow_fs_shim.c -ldl

export SLOW_FS_MARKER=slow-drive-maps    # the benchmark's folder name holds it
export SLOW_FS_DELAY_MS=${SLOW_FS_DELAY_MS:-200}
LD_PRELOAD="$PWD/$build_dir/bench-shim/libslowfs.so" exec "$build_dir/bench/bench_workshop_slow_folder" "$@"
