#!/usr/bin/env bash
# Sets up, builds, and plays the built-in demo match with the plugin loaded,
# writing the picture of its last frame to demo.png; then plays
# examples/moving.scn silently, writing its frames to moving.webp (the
# animation README.md shows, docs/moving.webp).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target vantorel-sim VantorelPlugin >/dev/null
build/default/bin/vantorel-sim --picture demo.png "$@"
echo "picture of the last frame: $(pwd)/demo.png" >&2
build/default/bin/vantorel-sim --animation moving.webp examples/moving.scn >/dev/null
echo "animation of examples/moving.scn: $(pwd)/moving.webp" >&2
