#!/usr/bin/env bash
# Instructions per overlay frame, counted by callgrind: a figure that, unlike
# a time, does not move with the machine's load, so a gate can hold it.
#
#   scripts/callgrind-frame.sh [BUILD_DIR] [FRAMES]
#       One case: FRAMES frames (default 10000) of best-car mode with 8 cars,
#       or of what FRAME_DRIVER_ARGS says (e.g. "--sequential --cars 1024"),
#       first the plugin's, then the floor's; prints instructions per frame
#       for each and their ratio.
#   scripts/callgrind-frame.sh --check [BUILD_DIR]
#       The gate, run by CTest as the test `instructions`: the four cases
#       below against bench/instructions.baseline. Fails when a figure grows
#       by more than 2% over its baseline, or a frame costs more than 1.10
#       times its floor; prints the table either way. In a build other than
#       the one the baseline names it does not apply: it says why and exits
#       with 77, which CTest reports as a skip.
#   scripts/callgrind-frame.sh --write-baseline [BUILD_DIR]
#       Counts the four cases and rewrites bench/instructions.baseline.
#
# Only the frames count: set-up and the warm-up frame are outside the
# collected function (vantorel_run_frames, bench/FrameDriver.cpp). BUILD_DIR
# (default build/default) must hold a build of frame-driver. Counts depend on
# the compiler and the build type, so the baseline names the build it was
# made with and the gate skips any other.
set -euo pipefail
cd "$(dirname "$0")/.."

mode="one"
case ${1:-} in
  --check) mode="check"; shift ;;
  --write-baseline) mode="write"; shift ;;
esac
build=${1:-build/default}
frames=${2:-10000}
baseline=bench/instructions.baseline
growth_limit=2      # percent over the baseline
ratio_limit=1.10    # a frame against its floor

# The build the figures come from, for the baseline: its type and compiler.
# Counts depend on both, so the gate applies only to the build its baseline
# names.
if [[ $mode != one ]]; then
  cache=$build/CMakeCache.txt
  build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$cache")
  compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$cache")
  build_id="${build_type:-no build type}, $(basename "$compiler") $("$compiler" -dumpfullversion)"
fi
if [[ $mode == check ]]; then
  [[ -f $baseline ]] || { echo "callgrind-frame: no $baseline" >&2; exit 1; }
  expected_build=$(sed -n 's/^build //p' "$baseline")
  if [[ $expected_build != "$build_id" ]]; then
    echo "callgrind-frame: skipped: $baseline was made with \"$expected_build\"," \
      "this build is \"$build_id\": counts from other builds do not compare."
    exit 77
  fi
fi

driver=$build/bin/frame-driver
if [[ ! -x $driver ]]; then
  echo "callgrind-frame: no $driver; build it first:" >&2
  echo "  cmake --preset default && cmake --build --preset default --target frame-driver" >&2
  exit 1
fi
command -v valgrind >/dev/null || {
  echo "callgrind-frame: valgrind is not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Prints the instructions callgrind collected in vantorel_run_frames for
# frame-driver with the given arguments, the frame count last.
count() {
  local out=$work/callgrind.out
  valgrind --tool=callgrind --callgrind-out-file="$out" \
    --toggle-collect=vantorel_run_frames "$driver" "$@" \
    >"$work/driver.log" 2>"$work/valgrind.log" || {
    cat "$work/driver.log" "$work/valgrind.log" >&2
    exit 1
  }
  grep -E '^(totals|summary):' "$out" | tail -1 | awk '{ print $2 }'
}

if [[ $mode == one ]]; then
  # shellcheck disable=SC2086  # FRAME_DRIVER_ARGS is a list of words
  plugin=$(count ${FRAME_DRIVER_ARGS:-} "$frames")
  # shellcheck disable=SC2086
  floor=$(count ${FRAME_DRIVER_ARGS:-} --floor "$frames")
  awk -v p="$plugin" -v f="$floor" -v n="$frames" \
    -v args="${FRAME_DRIVER_ARGS:-none (best-car mode, 8 cars)}" 'BEGIN {
    printf "frames: %d, frame-driver arguments: %s\n", n, args
    printf "plugin: %.1f instructions per frame\n", p / n
    printf "floor:  %.1f instructions per frame\n", f / n
    printf "ratio:  %.3f\n", p / f
  }'
  exit 0
fi

# The cases: name, frames, frame-driver's arguments. Frames per case are few
# (the count per frame is exact, so more frames change nothing) to keep the
# gate to seconds.
cases=(
  "best-car/8        2000"
  "sequential/8      2000 --sequential"
  "best-car/1024     100  --cars 1024"
  "sequential/1024   100  --sequential --cars 1024"
)

# One line per case: name, frames, plugin and floor instructions per frame.
measured=$work/measured
for entry in "${cases[@]}"; do
  read -r name n args <<<"$entry"
  # shellcheck disable=SC2086  # args is a list of words
  plugin=$(count $args "$n")
  # shellcheck disable=SC2086
  floor=$(count $args --floor "$n")
  awk -v c="$name" -v n="$n" -v p="$plugin" -v f="$floor" \
    'BEGIN { printf "%-16s %6d %10.1f %10.1f\n", c, n, p / n, f / n }' >>"$measured"
done

if [[ $mode == write ]]; then
  {
    echo "# Instructions per overlay frame, the plugin's and its floor's, counted by"
    echo "# callgrind in frame-driver. The CTest test \`instructions\` (label"
    echo "# instructions, run by scripts/test.sh) fails when a figure grows by more"
    echo "# than ${growth_limit}% over the line here, or a frame costs more than ${ratio_limit} times its"
    echo "# floor. Regenerate, in the build the gate runs in, with"
    echo "#"
    echo "#   cmake --build --preset default --target frame-driver"
    echo "#   scripts/callgrind-frame.sh --write-baseline build/default"
    echo "#"
    echo "# and commit it on its own, the message saying why the figures moved: a"
    echo "# new baseline is a deliberate decision, never a way to quiet the gate."
    echo "build $build_id"
    echo "# case           frames     plugin      floor"
    cat "$measured"
  } >"$baseline"
  echo "callgrind-frame: wrote $baseline"
  cat "$baseline"
  exit 0
fi

awk -v limit="$growth_limit" -v ratio_limit="$ratio_limit" -v baseline="$baseline" '
  FNR == NR {
    if ($0 !~ /^#/ && $1 != "build" && NF == 4) { base_plugin[$1] = $3; base_floor[$1] = $4 }
    next
  }
  function change(now, base) { return (now - base) / base * 100 }
  BEGIN {
    printf "%-16s %6s %10s %10s %6s %10s %8s %10s %8s\n", "case", "frames", "plugin", "floor",
      "ratio", "baseline", "change", "floor bl.", "change"
  }
  {
    name = $1; plugin = $3; floor = $4; ratio = plugin / floor
    seen[name] = 1
    if (!(name in base_plugin)) {
      printf "%-16s %6d %10.1f %10.1f %6.3f %10s\n", name, $2, plugin, floor, ratio, "none"
      faults = faults sprintf("  %s: no line in %s\n", name, baseline)
      next
    }
    pc = change(plugin, base_plugin[name]); fc = change(floor, base_floor[name])
    printf "%-16s %6d %10.1f %10.1f %6.3f %10.1f %+7.2f%% %10.1f %+7.2f%%\n", name, $2, plugin,
      floor, ratio, base_plugin[name], pc, base_floor[name], fc
    if (pc > limit) faults = faults sprintf("  %s: the frame grew %.2f%% over its baseline\n", name, pc)
    if (fc > limit) faults = faults sprintf("  %s: the floor grew %.2f%% over its baseline\n", name, fc)
    if (ratio > ratio_limit) faults = faults sprintf("  %s: the frame costs %.3f times its floor\n", name, ratio)
    if (pc < -limit || fc < -limit) notes = notes sprintf("  %s: %s fell by more than %d%%\n", name,
      pc < -limit ? "the frame" : "the floor", limit)
  }
  END {
    for (name in base_plugin) if (!(name in seen))
      faults = faults sprintf("  %s: in %s but no longer measured\n", name, baseline)
    if (notes != "") printf "Figures well below their baseline; commit a new one to keep the gate tight:\n%s", notes
    if (faults != "") {
      printf "FAILED (limits: %d%% over the baseline, %.2f times the floor):\n%s", limit, ratio_limit, faults
      exit 1
    }
    printf "passed: no figure more than %d%% over its baseline, no frame over %.2f times its floor\n",
      limit, ratio_limit
  }' "$baseline" "$measured"
