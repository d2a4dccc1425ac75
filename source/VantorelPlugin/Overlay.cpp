// The overlay: a small yellow triangle, point down, over the car the next
// press would choose.

#include <cstdint>
#include <limits>

#include "VantorelPlugin.h"

namespace {

// Marker geometry is worked out in 64 bits, where no canvas point and no
// setting can overflow, and each coordinate is then brought back into the
// 32-bit range the canvas takes. Wherever 32-bit arithmetic would not
// overflow, the points are the same.
std::int32_t ToCanvas(std::int64_t coordinate) {
  constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kHighest = std::numeric_limits<std::int32_t>::max();
  // Below the range only with icon settings past the console's bounds: the
  // tip lies on the canvas, and no corner falls more than 80 units below it.
  if (coordinate < kLowest) return static_cast<std::int32_t>(kLowest);  // GCOVR_EXCL_BR_LINE
  if (coordinate > kHighest) return static_cast<std::int32_t>(kHighest);
  return static_cast<std::int32_t>(coordinate);
}

Vector2 CanvasPoint(std::int64_t x, std::int64_t y) { return Vector2{ToCanvas(x), ToCanvas(y)}; }

constexpr char kFull = static_cast<char>(0xFF);

}  // namespace

void VantorelPlugin::Render(CanvasWrapper canvas) {
  const bool hosted = gameWrapper->IsInGame();
  if (!hosted && !gameWrapper->IsInOnlineGame()) return;
  if (!*renderEnabled) return;

  ServerWrapper server = ServerOfTheCurrentGame(hosted);
  // The camera takes no part in the geometry; a frame without one is not a
  // frame to draw on.
  CameraWrapper camera = gameWrapper->GetCamera();
  if (server.IsNull()) {
    cvarManager->log("Bad server in Render");
    return;
  }
  if (camera.IsNull()) {
    cvarManager->log("Bad camera in Render");
    return;
  }
  if (!*renderNext) return;

  CarWrapper localCar = server.GetGameCar();
  if (localCar.IsNull()) return;
  ArrayWrapper<CarWrapper> cars = server.GetCars();
  // Get answers a null car for any index outside the list, -1 included.
  CarWrapper candidate = cars.Get(FindCandidateSwitchCar(cars, localCar, false));
  if (candidate.IsNull()) return;

  const std::int64_t size = *renderIconSize;
  const std::int64_t width = *renderThickness;
  const std::int64_t height = *renderIconHeight;

  const Vector2 point = canvas.Project(candidate.GetLocation());
  const std::int64_t x = point.X;
  const std::int64_t tipY = static_cast<std::int64_t>(point.Y) - 2 * height;
  // Only the tip must lie on the canvas, bounds included.
  if (x < 0 || x > canvas.GetSize().X) return;
  if (tipY < 0 || tipY > canvas.GetSize().Y) return;

  const Vector2 tip = CanvasPoint(x, tipY);
  const Vector2 left = CanvasPoint(x - size, tipY - 2 * size);
  const Vector2 right = CanvasPoint(x + size, tipY - 2 * size);
  const float lineWidth = static_cast<float>(width);
  canvas.SetColor(kFull, kFull, 0, kFull);
  canvas.DrawLine(left, tip, lineWidth);
  canvas.DrawLine(tip, right, lineWidth);
  canvas.DrawLine(right, left, lineWidth);
}
