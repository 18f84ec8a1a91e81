#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/) with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/, and runs each for SECONDS (default 60).
#
#     scripts/fuzz.sh [SECONDS]
#
# Each target's last line reads "NAME: RUNS runs, N crashes". New interesting inputs go to
# build-fuzz/corpus/NAME/ (the seeds in fuzz/corpus/NAME/ are only read); a crashing input is
# kept in build-fuzz/crashes/NAME/ and the command that replays it is printed. The exit
# status is non-zero when any target crashed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: scripts/fuzz.sh [SECONDS]" >&2
  exit 2
fi

# ---- Packages: the project's own, then clang with its sanitizer and libFuzzer runtimes ----
scripts/setup.sh

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
updated=no
install_missing() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ "${#missing[@]}" -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  if [ "$updated" = no ]; then
    "${sudo_cmd[@]}" apt-get update -qq
    updated=yes
  fi
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
install_missing clang
# libFuzzer and the sanitizer runtimes come with the compiler-rt package of clang's own
# version; llvm-symbolizer (in llvm-N) turns the addresses of a report into file and line.
clang_major=$(clang -dumpversion | cut -d. -f1)
install_missing "libclang-rt-${clang_major}-dev" "llvm-${clang_major}"

# ---- Build --------------------------------------------------------------------------------
build=$PWD/build-fuzz
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j 2

# ---- Run ------------------------------------------------------------------------------------
symbolizer=$(command -v "llvm-symbolizer-${clang_major}" || command -v llvm-symbolizer || true)
[ -z "$symbolizer" ] || export ASAN_SYMBOLIZER_PATH="$symbolizer"
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# Target name, the largest input it takes (each target refuses longer ones itself), and
# extra libFuzzer flags. Every input of console and cfg_roundtrip runs thousands of the same
# edges (a plug-in load, a file write); the entropic schedule weighs each of them again at
# every input, which costs a fifth of the run and gains little there, so those two use the
# plain schedule.
targets=("console 1024 -entropic=0" "cfg_roundtrip 257 -entropic=0" "pack_code_paths 512" "language 512")

# The first line of a report: a sanitizer's, a property's of the targets, or libFuzzer's own.
report_start='^==[0-9]+== ?ERROR|runtime error:|postplay fuzz: property violated'

mkdir -p "$build/logs"
summary=()
failed=0
for entry in "${targets[@]}"; do
  read -r name max_len flags <<<"$entry"
  corpus=$build/corpus/$name
  crashes=$build/crashes/$name
  log=$build/logs/$name.log
  mkdir -p "$corpus" "$crashes"
  marker=$(mktemp)
  echo "== $name: fuzzing for $seconds s (log: ${log#$PWD/})"

  # Paths are absolute: the targets run each input inside a scratch folder of their own.
  status=0
  # shellcheck disable=SC2086 # $flags holds zero or more separate flags
  "$build/$name" -max_total_time="$seconds" -print_final_stats=1 -max_len="$max_len" -timeout=20 $flags \
    -artifact_prefix="$crashes/" "$corpus" "$PWD/fuzz/corpus/$name" >"$log" 2>&1 || status=$?

  runs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log" | tail -n 1)
  [ -n "$runs" ] || runs=0
  artifacts=()
  while IFS= read -r file; do artifacts+=("$file"); done < <(
    find "$crashes" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) \
      -newer "$marker" | sort)
  rm -f "$marker"

  crashed=0
  if [ "$status" -ne 0 ] || [ "${#artifacts[@]}" -gt 0 ]; then
    crashed=1
    failed=1
    echo "-- $name crashed (exit status $status); from its log:"
    if grep -q -E "$report_start" "$log"; then
      grep -E -A 30 "$report_start" "$log" >"$log.report" || true
      head -n 60 "$log.report"
    else
      tail -n 40 "$log"
    fi
    if [ "${#artifacts[@]}" -gt 0 ]; then
      for file in "${artifacts[@]}"; do
        echo "-- input kept: $file"
        echo "-- reproduce:  UBSAN_OPTIONS=$UBSAN_OPTIONS $build/$name $file"
      done
    else
      echo "-- no input was kept; the whole log is ${log#$PWD/}"
    fi
  fi
  summary+=("$name: $runs runs, $crashed crashes")
  echo "${summary[-1]}"
done

echo "== summary"
printf '%s\n' "${summary[@]}"
exit "$failed"
