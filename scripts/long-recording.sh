#!/usr/bin/env bash
# The longest recording vantorel-sim writes, measured: ten minutes at 60
# frames a second (36,000 frames, the most an animation holds) of six cars
# and the ball driving to and fro on a 960 x 540 canvas, so that every frame
# differs from the one before, as in a match. Prints the peak memory
# (/usr/bin/time's maximum resident set size), the time and the file's size;
# README.md quotes them.
#
#   scripts/long-recording.sh [BUILD_DIR]   (default build/default)
set -euo pipefail
cd "$(dirname "$0")/.."
sim=${1:-build/default}/bin/vantorel-sim
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Each car turns back every two seconds across and every three along the
# field, each at its own phase, so that all stay in sight; the ball likewise.
cars=("Ava 0 -700 -1500 200 300 local" "Bo 0 -800 -700 250 450" "Cy 0 800 -1500 -250 -350"
      "Dee 1 200 1500 -100 -400" "Eli 1 -700 900 250 -350" "Fay 1 700 300 -200 -350")
{
  echo "canvas 960 540"
  echo "camera loc=0,0,3400 rot=-16384,0,0 fov=90"
  echo "ball loc=0,-400,93"
  for car in "${cars[@]}"; do
    read -r name team x y _ _ flag <<<"$car"
    echo "car $name team=$team loc=$x,$y,17 boost=50 $flag"
  done
  printf '%s\n' "plugin load" "vantorel_enable 1" "vantorel_render_enable 1" \
    "vantorel_swap_distanceweight 0.7" "motion on"
  for ((second = 0; second < 600; ++second)); do
    for i in "${!cars[@]}"; do
      read -r name _ _ _ vx vy _ <<<"${cars[$i]}"
      (((second + i) / 2 % 2)) && vx=$((-vx))
      (((second + 2 * i) / 3 % 2)) && vy=$((-vy))
      echo "set $name vel=$vx,$vy,0"
    done
    ((second / 3 % 2)) && echo "ball vel=-120,-250,0" || echo "ball vel=120,250,0"
    ((second % 30 == 29)) && echo "press"
    echo "frame 60"
  done
} >"$work/long.scn"

/usr/bin/time -v "$sim" --animation "$work/long.webp" "$work/long.scn" \
  >/dev/null 2>"$work/time.txt"
grep -E "Maximum resident|Elapsed|User time" "$work/time.txt"
echo "file: $(stat -c %s "$work/long.webp") bytes"
