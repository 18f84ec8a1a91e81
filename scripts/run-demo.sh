#!/usr/bin/env bash
# Sets up, builds the host program and the plug-in (only what the demo runs; the tests
# command builds the rest), and replays a short ranked session with the plug-in.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
echo "Building the host program and the plug-in into build/ (a first build takes about a minute on two cores)."
BUILD_TARGETS=postplay-host scripts/build.sh
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
build/postplay-host --home "$home" scenarios/ranked_session.pp
