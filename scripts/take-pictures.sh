#!/usr/bin/env bash
# Redraws the README's pictures of the settings page (needs xvfb-run and a tree built into
# BUILD_DIR, default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
for name in workshop_english custom_french; do
  home=$(mktemp -d)
  (cd "$home" && xvfb-run -a "$OLDPWD/$build_dir/postplay-host" --home "$home" \
      --screenshot "$OLDPWD/docs/settings_${name}.png" "$OLDPWD/scenarios/picture_${name}.pp" >/dev/null)
  rm -rf "$home"
done
