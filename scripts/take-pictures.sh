#!/usr/bin/env bash
# Redraws the README's pictures of the host program's window (needs xvfb-run and a tree built
# into BUILD_DIR, default: build): the settings page in both languages at the default size,
# and the whole window at a smaller size, where the panels share less room.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
picture() { # SCENARIO PICTURE SIZE
  local home
  home=$(mktemp -d)
  (cd "$home" && xvfb-run -a "$OLDPWD/$build_dir/postplay-host" --home "$home" --size "$3" \
      --screenshot "$OLDPWD/docs/$2" "$OLDPWD/scenarios/$1" >/dev/null)
  rm -rf "$home"
}
picture picture_workshop_english.pp settings_workshop_english.png 1280x800
picture picture_custom_french.pp settings_custom_french.png 1280x800
picture picture_small_window.pp window_900x600.png 900x600
