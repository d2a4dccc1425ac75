#!/usr/bin/env bash
# The whole suite from a fresh machine: installs what the build needs,
# configures, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

echo "== native build and tests"
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default

echo "== Windows cross build (MinGW-w64), tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows
ctest --preset windows
