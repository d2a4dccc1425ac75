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

echo "== AddressSanitizer and UndefinedBehaviorSanitizer: every test"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

echo "== ThreadSanitizer: the concurrency tests"
cmake --preset tsan >/dev/null
cmake --build --preset tsan
ctest --preset tsan

echo "== libFuzzer: each fuzz target for VANTOREL_FUZZ_SECONDS (default 60)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz
