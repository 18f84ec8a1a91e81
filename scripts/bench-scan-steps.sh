#!/usr/bin/env bash
# The plug-in's own time in each step that touches the workshop folder (bench/scan_steps.cpp),
# at 100 and 10,000 maps, with every query of the maps folder taking 0, 20 or 200 ms more
# (tests/support/FileSystemShim.c in front of the C library; 0 ms runs without it, on the plain disk).
#
#     scripts/bench-scan-steps.sh [OLD_SOURCE_DIR]
#
# Builds bench_scan_steps in Release for this tree and, given OLD_SOURCE_DIR (another
# checkout of the project, such as the one before the folder worker), for a copy of that tree
# with this benchmark put in its bench/ folder; runs both and prints one table: step, maps,
# delay, the old tree's and this tree's median and 99th percentile, and old median / new.
# BENCH_BUILD_DIR names the build (default build-bench); the old tree builds below it.
#
# Every case runs for a few seconds (Google Benchmark's minimum time, counted in wall time).
# On the old tree the steps a-d, f and g scan the whole folder in the step itself: with
# 10,000 maps from 20 ms on one iteration takes minutes, so those cells are not run there,
# and at 200 ms a case of 100 maps runs a single iteration (about 20 s).
set -euo pipefail
cd "$(dirname "$0")/.."

old_source=${1:-}
build_dir=${BENCH_BUILD_DIR:-build-bench}
results=$build_dir/scan-steps
started=$SECONDS
rm -rf "$results" && mkdir -p "$results" "$build_dir/bench-shim"

build() { # SOURCE_DIR BUILD_DIR
    [ -f "$2/CMakeCache.txt" ] || cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$2" -j 2 --target bench_scan_steps >/dev/null
}

echo "building the benchmark for this tree" >&2
build . "$build_dir"
if [ -n "$old_source" ]; then
    echo "building the benchmark for $old_source" >&2
    old_copy=$build_dir/old-tree/source
    mkdir -p "$old_copy"
    # tar keeps the files' times, so a second run rebuilds only what changed.
    (cd "$old_source" && tar -cf - --exclude=./.git --exclude='./build*' .) | tar -xf - -C "$old_copy"
    # That tree's own benchmarks give way to this one, built with the support it needs.
    mkdir -p "$old_copy/bench/support"
    cp -p bench/scan_steps.cpp "$old_copy/bench/"
    cp -p tests/support/{ScratchFolder,HeadlessImGui}.{h,cpp} tests/support/Processes{.h,_posix.cpp} \
        "$old_copy/bench/support/"
    cat >"$old_copy/bench/CMakeLists.txt" <<'CMAKE'
add_executable(bench_scan_steps scan_steps.cpp support/ScratchFolder.cpp support/Processes_posix.cpp
  support/HeadlessImGui.cpp)
target_include_directories(bench_scan_steps PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests
  ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/support)
target_link_libraries(bench_scan_steps PRIVATE postplay_objects pluginsdk PkgConfig::IMGUI benchmark::benchmark
  benchmark::benchmark_main)
CMAKE
    build "$old_copy" "$build_dir/old-tree/build"
fi
shim=$PWD/$build_dir/bench-shim/libfsshim.so
cc -shared -fPIC -O2 -Wall -Werror -o "$shim" tests/support/FileSystemShim.c -ldl

run() { # TREE DELAY_MS FILTER MIN_SECONDS
    local program=$build_dir/bench/bench_scan_steps preload=
    [ "$1" = old ] && program=$build_dir/old-tree/build/bench/bench_scan_steps
    [ "$2" -gt 0 ] && preload=$shim
    echo "$1 tree, $2 ms a query: $3" >&2
    FS_SHIM_SLOW=slow-drive-maps FS_SHIM_SLOW_MS=$2 LD_PRELOAD=$preload "$program" \
        --benchmark_filter="$3" --benchmark_min_time="$4" \
        --benchmark_out="$results/$1-$2-$(echo "$3" | tr -c 'a-z0-9' _).csv" --benchmark_out_format=csv \
        >>"$results/$1.log" 2>&1
}

waits='^[efg]_'                                  # set-up between iterations waits for the drive
for delay in 0 20 200; do
    run new "$delay" "^(a0|a|b|c|d|h0|h)_" 2
    run new "$delay" "$waits" "$([ "$delay" = 200 ] && echo 5 || echo 2)"
done
if [ -n "$old_source" ]; then
    run old 0 . 2
    run old 20 '^(a0|e|h0|h)_' 2
    run old 20 '^[a-dfg]_[a-z_]*/100/' 6
    run old 200 '^(a0|e|h0|h)_' 2
    run old 200 '^[a-dfg]_[a-z_]*/100/' 0.01
fi

# One record per cell and tree: step, maps, delay, tree, p50, p99 (or "error error").
records() {
    awk -F, '/^name,/ { for (i = 1; i <= NF; i++) { gsub(/"/, "", $i); column[$i] = i }; next }
        /^"/ { n = split(FILENAME, path, "/"); split(path[n], run, "-")
               name = $1; gsub(/"|\/real_time/, "", name); split(name, part, "/")
               step = part[1] (part[3] != "" ? "/" part[3] "ms" : "")
               value = $(column["error_occurred"]) == "true" ? "error error" \
                     : $(column["p50_us"]) " " $(column["p99_us"])
               print step, part[2], run[2], run[1], value }' "$results"/*.csv
}

# Microseconds as a short text (12.3 us, 45.6 ms, 20.6 s), then the table, old and new
# side by side.
table() {
    awk 'function shown(us) { if (us == "") return "-"; if (us == "error") return us
                              if (us < 1000) return sprintf("%.1f us", us)
                              return us < 1e6 ? sprintf("%.1f ms", us / 1000) : sprintf("%.1f s", us / 1e6) }
        function estimate(step, maps, delay,   hundred) {   # the same step with 100 maps, scaled
          hundred = p50[step, 100, delay, "old"] + 0
          return hundred > 0 ? hundred * maps / 100 / 1e6 : maps * delay * 1.03 / 1000 }
        { key = $1 SUBSEP $2 SUBSEP $3; if (!(key in seen)) order[++count] = key; seen[key] = 1
          p50[key, $4] = $5; p99[key, $4] = $6 }
        END {
          format = "%-26s %6s %7s  %-21s %-21s %s\n"
          printf format, "step", "maps", "delay", "old p50 / p99", "new p50 / p99", "old/new p50"
          for (i = 1; i <= count; i++) {
            key = order[i]; split(key, cell, SUBSEP); ran_old = (key, "old") in p50
            old = shown(p50[key, "old"]) " / " shown(p99[key, "old"])
            ratio = "-"
            if (p50[key, "old"] + 0 > 0 && p50[key, "new"] + 0 > 0) {
              r = p50[key, "old"] / p50[key, "new"]; ratio = sprintf(r < 10 ? "%.1f" : "%.0f", r) }
            if (have_old && !ran_old && cell[1] ~ /^[a-dfg]_/) {
              old = "not run"
              ratio = sprintf("not run on the old tree: about %.0f s an iteration", estimate(cell[1], cell[2], cell[3])) }
            printf format, cell[1], cell[2], cell[3] " ms", old, shown(p50[key, "new"]) " / " shown(p99[key, "new"]), ratio } }' \
        have_old="$1"
}

records | LC_ALL=C sort -t' ' -k1,1V -k2,2n -k3,3n | table "$([ -n "$old_source" ] && echo 1 || echo 0)"
echo "(old/new p50: how many times longer the step takes on the old tree; whole run: $((SECONDS - started)) s)"
