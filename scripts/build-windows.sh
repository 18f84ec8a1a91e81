#!/usr/bin/env bash
# Cross-builds the Windows programs (postplay.dll, pluginsdk.dll, postplay-host.exe and the
# test programs) with MinGW-w64 into BUILD_DIR (default: build-windows), checks the plug-in's
# exports, and runs the unit suite, the scenario suite and a check of homes whose names are
# not ASCII under Wine. Exits non-zero on any failure. Extra arguments go to CMake.
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
# Wine takes the ANSI code page from the locale, and reads Unix file names in its character
# set. C.UTF-8 (always there) gives code page 1252 and UTF-8 file names, whoever runs this.
export LC_ALL=C.UTF-8
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

# ---- Homes whose names are not ASCII ---------------------------------------------------------------
# The plug-in hands the host its cfg file's name as narrow text, which Windows reads in the
# ANSI code page. Each home holds saved settings, which must be loaded and still be in the
# file after a write. A name outside code page 1252 is reached through the short (8.3) name
# Wine makes for every long name; without one, the storage must say so in one line and leave
# the file as it was. A first start in such a home (no file yet) must keep what is set.
echo "Homes with non-ASCII names under Wine:"
homes=$build_dir/homes
rm -rf "$homes"
mkdir -p "$homes"
printf 'sim_wait 1\npp_requeue_delay\nwriteconfig\n' >"$homes/check.pp"
printf 'sim_wait 1\npp_requeue_delay 9\nwriteconfig\n' >"$homes/set.pp"
run_host() { # HOME SCRIPT: the host's output; fails when the host fails or loses the home's name
  local output wine_home="Z:${1//\//\\}"   # the host names its home by its absolute path, as Wine gives it
  output=$(timeout 60 wine "$build_dir/postplay-host.exe" --home "$1" "$2" 2>&1) &&
    grep -qF "PersistentStorage: created and will store the data in $wine_home" <<<"$output" || {
    echo "$output" | sed 's/^/    /' >&2
    return 1
  }
  echo "$output"
}
untouched() { # OUTPUT: the storage said, in one line, that it loads nothing (a skipped write aside)
  [ "$(grep -E '^\[[0-9.]+\] PersistentStorage: .*not loaded' <<<"$1" | grep -vc 'writeconfig skipped')" -eq 1 ]
}
check_home() { # NAME IN_CODE_PAGE(yes|no)
  local home=$homes/$1 output
  mkdir -p "$home/cfg"
  printf 'pp_requeue_delay "7" //Set requeue delay in seconds\r\n' >"$home/cfg/Postplay.cfg"
  cp "$home/cfg/Postplay.cfg" "$homes/saved.cfg"
  output=$(run_host "$home" "$homes/check.pp") || return 1
  if grep -qF 'pp_requeue_delay "7"' <<<"$output" && grep -qF 'pp_requeue_delay "7"' "$home/cfg/Postplay.cfg"; then
    echo "  $1: saved settings loaded and kept"
  elif [ "$2" = no ] && untouched "$output" && cmp -s "$homes/saved.cfg" "$home/cfg/Postplay.cfg"; then
    echo "  $1: no narrow name for the file; saved settings left untouched"
  else
    echo "  $1: saved settings lost or not loaded; the file holds:"
    sed 's/^/    /' "$home/cfg/Postplay.cfg"
    echo "$output" | sed 's/^/    /'
    return 1
  fi
}
check_first_start() { # NAME: a home without a cfg file yet
  local home=$homes/$1 output
  run_host "$home" "$homes/set.pp" >/dev/null && output=$(run_host "$home" "$homes/check.pp") || return 1
  if grep -qF 'pp_requeue_delay "9"' <<<"$output"; then
    echo "  $1 (first start): the setting was saved and loaded"
  elif untouched "$output" && [ ! -e "$home/cfg/Postplay.cfg" ]; then
    echo "  $1 (first start): no narrow name for the file; nothing written"
  else
    echo "  $1 (first start): the setting was not kept"
    echo "$output" | sed 's/^/    /'
    return 1
  fi
}
check_home "Hélène" yes || failed=1
check_home "Лена" no || failed=1
check_home "北京" no || failed=1
check_first_start "Лена Новая" || failed=1

exit "$failed"
