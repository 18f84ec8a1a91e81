#!/usr/bin/env bash
# Reliability runs through the host program: random sessions checked against a small model,
# kills while the cfg file is rewritten, and file-system faults (the Python package
# scripts/soak/ runs them; its modules say what each one checks).
#
#     scripts/soak.sh [N]            N seeded random sessions (default 100); the last line reads
#                                    "random sessions: N run, B invariant breaks, C crashes"
#     scripts/soak.sh --kills K      kill the host K times while it rewrites the cfg file;
#                                    "kills: K run, B broken files"
#     scripts/soak.sh --faults       no space, permission denied, link loops and over-long names
#                                    in the cfg writes and the workshop scan; failed syncs; cfg
#                                    files that must be saved in place (a second hard link, a
#                                    read-only cfg folder) or keep another owner (as root only);
#                                    "faults: N injected, M mishandled"
#     scripts/soak.sh --seed S       replay session S, printing its scripts and transcripts
#
# They combine (scripts/soak.sh 300 --kills 1000 --faults). --first S starts the sessions at
# seed S (default 1); --jobs J runs J hosts at once (default 2). SOAK_BUILD_DIR names the build
# to test (default build/; CI passes its sanitizer builds); it is configured when missing and
# its host program and plug-in are built. The exit status is non-zero when anything broke.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
if ! command -v python3 >/dev/null; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends python3
fi

build_dir=${SOAK_BUILD_DIR:-build}
[ -f "$build_dir/CMakeCache.txt" ] || cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" -j 2 --target postplay-host postplay
mkdir -p "$build_dir/soak"
cc -shared -fPIC -O2 -Wall -o "$build_dir/soak/libsoakfault.so" tests/support/FileSystemShim.c -ldl

# ThreadSanitizer cannot map its shadow memory when the kernel randomizes addresses with many
# bits: its hosts run with address randomization off.
if ldd "$build_dir/postplay-host" | grep -q libtsan; then
  export SOAK_NO_ASLR=1
fi
PYTHONPATH=scripts${PYTHONPATH:+:$PYTHONPATH} exec python3 -m soak --host "$build_dir/postplay-host" --shim "$build_dir/soak/libsoakfault.so" "$@"
