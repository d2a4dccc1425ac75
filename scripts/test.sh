#!/usr/bin/env bash
# The whole suite from a fresh machine: installs what the build needs,
# configures, builds and runs every test, stage by stage. A stage that fails
# does not stop the others, so one run shows every failure; the script fails
# at the end if any stage did, and says which, with each stage's time.
set -euo pipefail
cd "$(dirname "$0")/.."

failed=()
times=()

# Runs one stage: its title, then the command it runs.
stage() {
  local title=$1 start=$SECONDS status=passed
  shift
  echo "== $title"
  if ! "$@"; then
    status=FAILED
    failed+=("$title")
  fi
  times+=("$(printf '%5d s  %-6s  %s' $((SECONDS - start)) "$status" "$title")")
  echo "== $status in $((SECONDS - start)) s: $title"
}

# One preset of CMakePresets.json: configure, build, test.
preset() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" && ctest --preset "$1"
}

scripts/install-deps.sh

stage "native build and tests, the instruction gate among them" preset default
stage "coverage: every test with gcov counters, then the report and its bars" \
  cmake --workflow --preset coverage
stage "Windows cross build (MinGW-w64), tests under Wine" preset windows
stage "AddressSanitizer and UndefinedBehaviorSanitizer: every test" preset asan
stage "ThreadSanitizer: the concurrency tests" preset tsan
stage "libFuzzer: each fuzz target for VANTOREL_FUZZ_SECONDS (default 60)" preset fuzz

echo "== stages:"
printf '%s\n' "${times[@]}"
if ((${#failed[@]})); then
  echo "test.sh: FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "test.sh: every stage passed"
