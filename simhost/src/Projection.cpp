#include "simhost/Projection.h"

#include <cmath>
#include <cstring>

#include "Facing.h"

namespace simhost {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Whether `value`, already rounded, fits in a signed 32-bit integer; false
// for NaN.
bool FitsInt32(double value) {
  return value >= -2147483648.0 && value <= 2147483647.0;
}

}  // namespace

Vector2 ProjectThroughCamera(const SimCamera& camera, Vector2 canvasSize, Vector location) {
  const double fov = camera.fieldOfView;
  if (!(fov > 0.0 && fov < 180.0)) return kOffCanvas;

  // The sines and cosines the car score starts from too. The score rounds
  // them to floats and multiplies in floats; the axes here multiply the
  // doubles. Neither can take the other's way without changing digits users
  // have seen: every projected point and picture, or the score's console
  // lines.
  const auto [sp, cp, sy, cy] = FacingOf(camera.rotation);

  const double dx = static_cast<double>(location.X) - static_cast<double>(camera.location.X);
  const double dy = static_cast<double>(location.Y) - static_cast<double>(camera.location.Y);
  const double dz = static_cast<double>(location.Z) - static_cast<double>(camera.location.Z);

  const double forward = dx * (cp * cy) + dy * (cp * sy) + dz * sp;
  const double right = dx * (-sy) + dy * cy;
  const double up = dx * (-sp * cy) + dy * (-sp * sy) + dz * cp;
  if (!(forward > 0.0)) return kOffCanvas;  // behind, beside, or not a number

  const double halfWidth = static_cast<double>(canvasSize.X) / 2.0;
  const double focal = halfWidth / std::tan(fov * kPi / 360.0);
  const double centreX = static_cast<double>(canvasSize.X / 2);
  const double centreY = static_cast<double>(canvasSize.Y / 2);

  const double x = centreX + std::round(focal * right / forward);
  const double y = centreY - std::round(focal * up / forward);
  if (!FitsInt32(x) || !FitsInt32(y)) return kOffCanvas;
  return Vector2{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
}

Vector2 ProjectOnCanvas(const MatchState& match, Vector location) {
  for (const auto& car : match.cars()) {
    if (car && car->screenPoint &&
        std::memcmp(&car->location, &location, sizeof(Vector)) == 0) {
      return *car->screenPoint;
    }
  }
  if (!match.hasCamera) return kOffCanvas;
  return ProjectThroughCamera(match.camera, match.canvasSize, location);
}

CanvasProjection::CanvasProjection(const MatchState& match)
    : hasCamera_(match.hasCamera), camera_(match.camera), canvasSize_(match.canvasSize) {
  for (const auto& car : match.cars()) {
    // emplace keeps the first car in list order that stands there.
    if (car && car->screenPoint) fixed_.emplace(KeyOf(car->location), *car->screenPoint);
  }
}

Vector2 CanvasProjection::Project(Vector location) const {
  const auto found = fixed_.find(KeyOf(location));
  if (found != fixed_.end()) return found->second;
  if (!hasCamera_) return kOffCanvas;
  return ProjectThroughCamera(camera_, canvasSize_, location);
}

CanvasProjection::Key CanvasProjection::KeyOf(Vector location) {
  Key key;
  std::memcpy(&key.bits[0], &location.X, sizeof key.bits[0]);
  std::memcpy(&key.bits[1], &location.Y, sizeof key.bits[1]);
  std::memcpy(&key.bits[2], &location.Z, sizeof key.bits[2]);
  return key;
}

bool CanvasProjection::Key::operator==(const Key& other) const {
  return bits[0] == other.bits[0] && bits[1] == other.bits[1] && bits[2] == other.bits[2];
}

std::size_t CanvasProjection::KeyHash::operator()(const Key& key) const {
  // FNV-1a over the three words: scripts place cars on round coordinates,
  // whose bits differ in a few high places only.
  std::uint64_t hash = 14695981039346656037ull;
  for (std::uint32_t word : key.bits) {
    for (int shift = 0; shift < 32; shift += 8) {
      hash ^= (word >> shift) & 0xffu;
      hash *= 1099511628211ull;
    }
  }
  return static_cast<std::size_t>(hash);
}

}  // namespace simhost
