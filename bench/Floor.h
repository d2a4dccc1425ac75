#pragma once

#include "FrameScene.h"

namespace vantorel_bench {

// Replaces the plugin's drawable in `scene` by the floor: the least an
// overlay frame can cost on this host. The floor makes the host calls a
// frame that draws the marker must make, in the order the overlay makes
// them, through the same wrapper classes, scoring cars with the plugin's own
// ScoreCar; nothing else. It reads the settings and lastSwapIndex the plugin
// holds when it is installed, and draws exactly what the plugin draws for
// the matches of FrameScene, which the benchmark checks before it measures.
void InstallFloor(vantorel_test::FrameScene& scene);

}  // namespace vantorel_bench
