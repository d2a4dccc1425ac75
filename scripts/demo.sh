#!/usr/bin/env bash
# Sets up, builds, and plays the built-in demo match with the plugin loaded,
# writing the picture of its last frame to demo.png.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target vantorel-sim VantorelPlugin >/dev/null
build/default/bin/vantorel-sim --picture demo.png "$@"
echo "picture of the last frame: $(pwd)/demo.png" >&2
