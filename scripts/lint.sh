#!/usr/bin/env bash
# The tree's habits, checked: every C and C++ file follows .clang-format (a file that does not
# fails the run and is named), and the plug-in, the simulated host and the host program pass
# the static analysis of .clang-tidy, whose findings are errors. Installs clang-format,
# clang-tidy and clang when missing. BUILD_DIR names the configure it reads the compile
# commands from (default build-tidy; configured with clang when missing).
#
#     scripts/lint.sh            both checks
#     scripts/lint.sh --format   rewrites the files as .clang-format lays them out, and stops
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
missing=()
for tool in clang-format clang-tidy clang; do command -v "$tool" >/dev/null || missing+=("$tool"); done
if [ "${#missing[@]}" -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

mapfile -t sources < <(git ls-files '*.cpp' '*.h' '*.c')
if [ "${1:-}" = --format ]; then
  clang-format -i "${sources[@]}"
  exit 0
fi
echo "Layout (.clang-format):"
clang-format --dry-run -Werror "${sources[@]}"
echo "  ${#sources[@]} files follow it"

echo "Static analysis (.clang-tidy):"
build_dir=${BUILD_DIR:-build-tidy}
[ -f "$build_dir/compile_commands.json" ] ||
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DPOSTPLAY_BENCHMARKS=OFF >/dev/null
run-clang-tidy -p "$build_dir" -quiet -j "$(nproc)" "$PWD/(base|plugin|match|training|storage|localization|settings|sim|app)/" \
  >"$build_dir/clang-tidy.log" 2>&1 || { grep -E "error:|warning:" "$build_dir/clang-tidy.log" | sort -u; exit 1; }
echo "  no findings"
