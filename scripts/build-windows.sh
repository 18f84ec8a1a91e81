#!/usr/bin/env bash
# Cross-builds the Windows programs (postplay.dll, pluginsdk.dll, postplay-host.exe and the
# test programs) with MinGW-w64 into BUILD_DIR (default: build-windows), checks the plug-in's
# exports, and runs the unit suite and the scenario suite under Wine. Exits non-zero on any
# failure. Extra arguments go to CMake.
#
# Installs what is missing: the MinGW-w64 compilers with POSIX threads, Wine, GoogleTest's
# and {fmt}'s Debian packages, and Dear ImGui 1.86's sources from Debian's source package,
# so the Windows build uses the same ImGui as the Linux one.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build-windows}
[ $# -gt 0 ] && shift
mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# ---- Packages ------------------------------------------------------------------------------
packages=(cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64
          googletest libfmt-dev dpkg-dev xz-utils)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
updated=no
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  updated=yes
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# ---- Dear ImGui 1.86's sources ---------------------------------------------------------------
# libimgui-dev ships only the headers and a Linux library, so the sources come from the
# source package of the same Debian release.
deps_dir=$build_dir/deps
imgui_dir=$deps_dir/imgui-1.86
if [ ! -f "$imgui_dir/imgui.cpp" ]; then
  if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "Adding Debian's source archive for $codename"
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$codename" | "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/postplay-deb-src.sources >/dev/null
    updated=no
  fi
  [ "$updated" = yes ] || "${sudo_cmd[@]}" apt-get update -qq
  download=$deps_dir/imgui-source
  rm -rf "$download" "$imgui_dir"
  mkdir -p "$download"
  (cd "$download" && apt-get source --download-only -qq imgui 2>&1 | grep -v 'unsandboxed' || true)
  orig=$(ls "$download"/imgui_1.86*.orig.tar.* 2>/dev/null | head -n 1)
  if [ -z "$orig" ]; then
    echo "build-windows: Debian's source package of Dear ImGui 1.86 was not found" >&2
    exit 1
  fi
  mkdir -p "$imgui_dir"
  tar -xf "$orig" -C "$imgui_dir" --strip-components=1
fi

# ---- Build ---------------------------------------------------------------------------------------
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DPOSTPLAY_IMGUI_SOURCE_DIR="$imgui_dir" "$@" >/dev/null
cmake --build "$build_dir" -j "$jobs"

# ---- The plug-in exports exactly its three entry points ------------------------------------------
exports=$(x86_64-w64-mingw32-objdump -p "$build_dir/postplay.dll" |
  awk '/\[Ordinal\/Name Pointer\] Table/ {table = 1; next} table && /^\t\[/ {print $NF; next} {table = 0}' |
  sort | tr '\n' ' ')
if [ "$exports" != "deleteMe exports getPlugin " ]; then
  echo "build-windows: postplay.dll exports '$exports', expected exactly exports, getPlugin and deleteMe" >&2
  exit 1
fi
echo "postplay.dll exports: $exports"

# ---- Tests under Wine ------------------------------------------------------------------------------
# A Wine prefix of the build's own, without the .NET and HTML components nobody here uses.
export WINEPREFIX=$build_dir/wine
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
stop_wine() { wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT
# Creating the prefix takes a while; the tests start once it is complete.
wineboot -i >/dev/null 2>&1 || true
wineserver -w

failed=0
echo "Unit suite under Wine:"
for program in "$build_dir"/tests_*.exe; do
  name=$(basename "$program" .exe)
  log=$build_dir/$name.log
  if wine "$program" --gtest_brief=1 >"$log" 2>&1; then
    skipped=$(grep -Eo 'SKIPPED \] [0-9]+' "$log" | grep -Eo '[0-9]+$' || true)
    echo "  $name: $(grep -Eo '[0-9]+ tests? from [0-9]+ test suites? ran' "$log" | head -n 1), passed${skipped:+ ($skipped skipped: see $log)}"
  else
    echo "  $name: FAILED (log: $log)"
    { grep -E '^\[  FAILED  \]|Failure|error' "$log" || tail -n 5 "$log"; } | head -n 20 | sed 's/^/    /'
    failed=1
  fi
done

echo "Scenario suite under Wine:"
ctest --test-dir "$build_dir" -R '^scenario\.' --output-on-failure -j "$jobs" || failed=1

exit "$failed"
