#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <unordered_map>

#include "HostExport.h"
#include "simhost/Match.h"
#include "Vector.h"

namespace simhost {

// Where a location that does not appear on the canvas lands: behind the
// camera, outside the 32-bit range, or with no usable camera.
constexpr Vector2 kOffCanvas{std::numeric_limits<std::int32_t>::min(),
                             std::numeric_limits<std::int32_t>::min()};

// The perspective projection of the simulated camera.
//
// The camera stands at its location and looks along the facing of its
// rotation, the same facing the plugin computes for cars:
//   p = Pitch * k, y = Yaw * k (k = pi / 32768 as a 32-bit float, the angles
//   in 32-bit floats), forward = (cos p cos y, cos p sin y, sin p).
// Its screen axes, in the game's world (X forward, Y right, Z up at rotation
// 0,0,0):
//   right = (-sin y, cos y, 0)
//   up    = (-sin p cos y, -sin p sin y, cos p)
// Roll is ignored. With d the location minus the camera's, and
// focal = (width / 2) / tan(fov / 2):
//   X = width / 2 + round(focal * (d . right) / (d . forward))
//   Y = height / 2 - round(focal * (d . up) / (d . forward))
// where width / 2 and height / 2 are integer halves (the canvas centre) and
// round takes halves away from zero, so that the picture is symmetric about
// the centre. Computed in double precision.
//
// kOffCanvas when the location is not in front of the camera
// (d . forward <= 0), when the field of view is not within (0, 180) degrees,
// when anything is not finite, or when either coordinate does not fit in a
// signed 32-bit integer.
HOST_API Vector2 ProjectThroughCamera(const SimCamera& camera, Vector2 canvasSize,
                                      Vector location);

// Where the canvas puts `location`, as CanvasWrapper::Project answers: the
// screen point of the first car in list order that stands exactly there
// (equal bits) and has one; otherwise through the match's camera, and
// kOffCanvas when there is none. `match` is the state an access holds
// (Match::Read).
HOST_API Vector2 ProjectOnCanvas(const MatchState& match, Vector location);

// ProjectOnCanvas for many locations of one match as it stands: the cars'
// screen points go into a table once, so that projecting every car of a
// large match costs time in proportion to the cars, not to their square.
// Copies what it needs from the state an access holds, and keeps no access.
class HOST_API CanvasProjection {
 public:
  explicit CanvasProjection(const MatchState& match);

  // What ProjectOnCanvas(match, location) gave when this was built.
  Vector2 Project(Vector location) const;

 private:
  // A location by its bits, as ProjectOnCanvas compares them.
  struct Key {
    std::uint32_t bits[3];
    bool operator==(const Key& other) const;
  };
  struct KeyHash {
    std::size_t operator()(const Key& key) const;
  };
  static Key KeyOf(Vector location);

  std::unordered_map<Key, Vector2, KeyHash> fixed_;
  bool hasCamera_;
  SimCamera camera_;
  Vector2 canvasSize_;
};

}  // namespace simhost
