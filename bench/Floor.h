#pragma once

#include <cstdint>

#include "CanvasWrapper.h"
#include "GameWrapper.h"
#include "FrameScene.h"
#include "VantorelPlugin.h"

namespace vantorel_bench {

using vantorel_test::Mode;

// What the floor needs to know that the plugin reads from its settings and
// from lastSwapIndex, copied from `plugin` as it stands, so that the floor
// ranks, walks and draws as that plugin's next frame would.
struct FloorSettings {
  explicit FloorSettings(const VantorelPlugin& plugin);

  Mode mode;
  std::int32_t lastSwapIndex;
  float distanceWeight;
  std::int32_t iconSize;
  std::int32_t thickness;
  std::int32_t iconHeight;
};

// The least an overlay frame can cost on this host: the host calls a frame
// that draws the marker must make, in the order the overlay makes them,
// through the same wrapper classes, scoring cars with the plugin's own
// ScoreCar; nothing else. It draws exactly what the plugin draws for the matches
// of FrameScene, which the benchmark checks before it measures.
void FloorFrame(GameWrapper& game, CanvasWrapper& canvas, const FloorSettings& settings);

}  // namespace vantorel_bench
