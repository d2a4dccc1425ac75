#!/usr/bin/env bash
# Instructions per overlay frame, counted by callgrind: a figure that, unlike
# a time, does not move with the machine's load.
#
#   scripts/callgrind-frame.sh [BUILD_DIR] [FRAMES]
#
# Runs FRAMES frames (default 10000) of best-car mode with 8 cars, first the
# plugin's, then the floor's (the same host calls and arithmetic with nothing
# else), and prints instructions per frame for each and their ratio. Counts
# only the frames: set-up and the warm-up frame are outside the collected
# function. BUILD_DIR (default build/bench) must hold a build of frame-driver;
# extra arguments for frame-driver go in FRAME_DRIVER_ARGS, e.g.
# FRAME_DRIVER_ARGS="--sequential --cars 1024".
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/bench}
frames=${2:-10000}
driver=$build/bin/frame-driver
if [[ ! -x $driver ]]; then
  echo "callgrind-frame: no $driver; build it first:" >&2
  echo "  cmake -S . -B $build -DCMAKE_BUILD_TYPE=Release && cmake --build $build -j2 --target frame-driver" >&2
  exit 1
fi
command -v valgrind >/dev/null || { echo "callgrind-frame: valgrind is not installed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Prints the instructions callgrind collected in vantorel_run_frames.
count() {
  local out=$work/callgrind.out
  # shellcheck disable=SC2086  # FRAME_DRIVER_ARGS is a list of words
  valgrind --tool=callgrind --callgrind-out-file="$out" \
    --toggle-collect=vantorel_run_frames "$driver" ${FRAME_DRIVER_ARGS:-} "$@" "$frames" \
    >"$work/driver.log" 2>"$work/valgrind.log" || {
    cat "$work/driver.log" "$work/valgrind.log" >&2
    exit 1
  }
  grep -E '^(totals|summary):' "$out" | tail -1 | awk '{ print $2 }'
}

plugin=$(count)
floor=$(count --floor)
awk -v p="$plugin" -v f="$floor" -v n="$frames" \
  -v args="${FRAME_DRIVER_ARGS:-none (best-car mode, 8 cars)}" 'BEGIN {
  printf "frames: %d, frame-driver arguments: %s\n", n, args
  printf "plugin: %.1f instructions per frame\n", p / n
  printf "floor:  %.1f instructions per frame\n", f / n
  printf "ratio:  %.3f\n", p / f
}'
