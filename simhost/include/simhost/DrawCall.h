#pragma once

#include <cstdint>

#include "Vector.h"

namespace simhost {

// One drawing call a plugin made during a frame, as the host records it:
// a colour (red, green, blue, alpha) for the lines after it, or a line. A
// plain value; the host keeps the last frame's calls (Host::lastFrame).
struct DrawCall {
  enum class Kind { kColor, kLine } kind = Kind::kColor;
  std::uint8_t color[4] = {0, 0, 0, 0};
  Vector2 start;
  Vector2 end;
  float width = 0.0f;
};

}  // namespace simhost
