#pragma once

#include <cmath>

#include "Vector.h"

// The direction a rotator faces, as the sines and cosines of its pitch and
// yaw: the unit vector (cosPitch cosYaw, cosPitch sinYaw, sinPitch). Roll
// does not turn the facing.
//
// A car's facing ranks it for a swap, and a camera's facing is the axis it
// projects along; both start here, so that the two turn a rotator the same
// way. The vector itself is left to each: see the callers for why.
struct Facing {
  double sinPitch;
  double cosPitch;
  double sinYaw;
  double cosYaw;
};

// Rotator units (65536 to a full turn) become radians as 32-bit floats,
// times the float nearest pi / 32768 (exactly the float nearest pi scaled by
// 2^-15); their sines and cosines are taken in double precision.
inline Facing FacingOf(const Rotator& rotation) {
  constexpr float kRadiansPerUnit = 3.14159265358979323846f / 32768.0f;
  const auto pitch = static_cast<double>(static_cast<float>(rotation.Pitch) * kRadiansPerUnit);
  const auto yaw = static_cast<double>(static_cast<float>(rotation.Yaw) * kRadiansPerUnit);
  return Facing{std::sin(pitch), std::cos(pitch), std::sin(yaw), std::cos(yaw)};
}
