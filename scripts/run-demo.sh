#!/usr/bin/env bash
# Sets up, builds, and replays a short ranked session with the plug-in in the host program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
build/postplay-host --home "$home" scenarios/ranked_session.pp
