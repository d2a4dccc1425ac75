#!/usr/bin/env bash
# The whole suite from a fresh machine: installs what the build needs,
# configures, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

# Configures, builds and tests one preset of CMakePresets.json.
stage() {
  local preset=$1 title=$2
  echo "== $title"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
}

scripts/install-deps.sh

stage default "native build and tests"
stage windows "Windows cross build (MinGW-w64), tests under Wine"
stage asan "AddressSanitizer and UndefinedBehaviorSanitizer: every test"
stage tsan "ThreadSanitizer: the concurrency tests"
stage fuzz "libFuzzer: each fuzz target for VANTOREL_FUZZ_SECONDS (default 60)"
