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

# The playground, as scripts/playground.sh builds it: its maths under node
# (ctest --preset web), then the page in headless Chromium, served from
# 127.0.0.1 on a port the system picks (tests/browser/walk.mjs, which also
# takes the screenshot docs/playground.png).
browser() {
  scripts/playground.sh --build-only >/dev/null || return 1
  ctest --preset web || return 1
  (cd tests/browser && npm ci --no-audit --no-fund --loglevel=error) || return 1
  local log status=0
  log=$(mktemp)
  python3 -u -m http.server 0 --bind 127.0.0.1 -d build/web/site >"$log" 2>&1 &
  local server=$!
  local port=""
  for _ in {1..100}; do
    port=$(sed -n 's/.* port \([0-9]*\) .*/\1/p' "$log")
    [[ -n $port ]] && break
    sleep 0.1
  done
  node tests/browser/walk.mjs "http://127.0.0.1:$port/" examples docs/playground.png || status=1
  kill "$server"
  rm -f "$log"
  return $status
}

scripts/install-deps.sh

stage "native build and tests, the instruction gate among them" preset default
stage "coverage: every test with gcov counters, then the report and its bars" \
  cmake --workflow --preset coverage
stage "Windows cross build (MinGW-w64), tests under Wine" preset windows
stage "AddressSanitizer and UndefinedBehaviorSanitizer: every test" preset asan
stage "ThreadSanitizer: the concurrency tests" preset tsan
stage "libFuzzer: each fuzz target for VANTOREL_FUZZ_SECONDS (default 60)" preset fuzz
stage "browser: the playground built with Emscripten, driven in headless Chromium" browser

echo "== stages:"
printf '%s\n' "${times[@]}"
if ((${#failed[@]})); then
  echo "test.sh: FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "test.sh: every stage passed"
