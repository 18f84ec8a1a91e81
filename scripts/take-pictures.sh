#!/usr/bin/env bash
# Redraws the README's pictures of the settings page (needs xvfb-run and a built tree).
set -euo pipefail
cd "$(dirname "$0")/.."
for name in workshop_english custom_french; do
  home=$(mktemp -d)
  (cd "$home" && xvfb-run -a "$OLDPWD/build/postplay-host" --home "$home" \
      --screenshot "$OLDPWD/docs/settings_${name}.png" "$OLDPWD/scenarios/picture_${name}.pp" >/dev/null)
  rm -rf "$home"
done
