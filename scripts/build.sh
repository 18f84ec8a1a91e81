#!/usr/bin/env bash
# Configures and builds into BUILD_DIR (default: build). Extra arguments go to CMake.
# BUILD_TARGETS names the targets to build (default: all of them).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja "$@" >/dev/null
targets=()
for target in ${BUILD_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$build_dir" -j "$(nproc)" "${targets[@]}"
