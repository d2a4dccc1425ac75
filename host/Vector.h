#pragma once

#include <cstdint>

// Plain value types the host hands across its interface. Their layout is the
// host's: members in this order, no padding.

// A world location, velocity or angular velocity, in game units.
struct Vector {
  float X = 0.0f;
  float Y = 0.0f;
  float Z = 0.0f;
};

// An orientation in the game's units: 65536 to a full turn.
struct Rotator {
  std::int32_t Pitch = 0;
  std::int32_t Yaw = 0;
  std::int32_t Roll = 0;
};

// A canvas point in pixels (X to the right, Y down the screen), or a canvas
// size (width, height).
struct Vector2 {
  std::int32_t X = 0;
  std::int32_t Y = 0;
};
