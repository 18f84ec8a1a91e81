#!/usr/bin/env bash
# Builds the whole tree with Clang as C++20 with warnings as errors into build-clang20/
# (BUILD_DIR overrides it), which also checks the locks' thread-safety annotations, then
# runs the unit and scenario suites of that build. Installs clang when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if ! command -v clang++ >/dev/null; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends clang
fi
build_dir=${BUILD_DIR:-build-clang20}
BUILD_DIR=$build_dir scripts/build.sh -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DPOSTPLAY_CXX_STANDARD=20 -DPOSTPLAY_WERROR=ON -DPOSTPLAY_BENCHMARKS=OFF "$@"
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
