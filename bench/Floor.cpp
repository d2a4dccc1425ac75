#include "Floor.h"

#include <cstdint>
#include <limits>

#include "ArrayWrapper.h"
#include "CarScore.h"
#include "ServerWrapper.h"
#include "VantorelPlugin.h"

namespace vantorel_bench {

using vantorel_test::Mode;

// What the floor needs to know that the plugin reads from its settings and
// from lastSwapIndex.
struct FloorSettings {
  Mode mode;
  std::int32_t lastSwapIndex;
  float distanceWeight;
  std::int32_t iconSize;
  std::int32_t thickness;
  std::int32_t iconHeight;
};

namespace {

// A car without player information has no team: the frame must test for it
// before asking, so the floor does too.
bool OnTeam(const CarWrapper& car, std::uint8_t team) {
  PriWrapper info = car.GetPRI();
  return !info.IsNull() && info.GetTeamNum() == team;
}

std::int32_t BestCar(GameWrapper& game, ArrayWrapper<CarWrapper>& cars, CarWrapper& local,
                     float weight) {
  ServerWrapper event = game.GetGameEventAsServer();
  BallWrapper ball = event.GetBall();
  if (ball.IsNull()) return -1;
  const Vector ballLocation = ball.GetLocation();
  const std::int32_t count = cars.Count();
  const std::uint8_t team = local.GetPRI().GetTeamNum();
  float best = std::numeric_limits<float>::max();
  std::int32_t result = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    CarWrapper car = cars.Get(i);
    if (car.IsNull()) return -1;
    if (car.memory_address == local.memory_address) continue;
    if (!OnTeam(car, team)) continue;
    // The plugin's own score, so the floor ranks the cars to the bit as the
    // frame does.
    const float score =
        vantorel::ScoreCar(ballLocation, car.GetLocation(), car.GetRotation(), weight).score;
    if (score < best) {
      best = score;
      result = i;
    }
  }
  return result;
}

std::int32_t NextCar(ArrayWrapper<CarWrapper>& cars, CarWrapper& local, std::int32_t last) {
  const std::int32_t count = cars.Count();
  if (count <= 0) return 0;
  const std::uint8_t team = local.GetPRI().GetTeamNum();
  // (last + k) mod count for k = 1, 2, ..., stepped without a division.
  std::int32_t index = last % count;
  for (std::int32_t k = 1; k <= count; ++k) {
    index = index + 1 == count ? 0 : index + 1;
    CarWrapper car = cars.Get(index);
    if (car.IsNull()) return -1;
    if (car.memory_address == local.memory_address) continue;
    if (OnTeam(car, team)) return index;
  }
  return 0;
}

}  // namespace

// Not in the anonymous namespace: folded into InstallFloor's callback, its
// loops would compile to other instructions than the baseline counted.
void FloorFrame(GameWrapper& game, CanvasWrapper& canvas, const FloorSettings& settings) {
  if (!game.IsInGame()) return;
  ServerWrapper server = game.GetGameEventAsServer();
  CameraWrapper camera = game.GetCamera();
  if (server.IsNull() || camera.IsNull()) return;
  CarWrapper local = server.GetGameCar();
  if (local.IsNull()) return;
  ArrayWrapper<CarWrapper> cars = server.GetCars();
  const std::int32_t index = settings.mode == Mode::kBestCar
                                 ? BestCar(game, cars, local, settings.distanceWeight)
                                 : NextCar(cars, local, settings.lastSwapIndex);
  CarWrapper candidate = cars.Get(index);
  if (candidate.IsNull()) return;

  const Vector2 point = canvas.Project(candidate.GetLocation());
  const std::int32_t s = settings.iconSize;
  const std::int32_t tipY = point.Y - 2 * settings.iconHeight;
  if (point.X < 0 || point.X > canvas.GetSize().X) return;
  if (tipY < 0 || tipY > canvas.GetSize().Y) return;
  const Vector2 tip{point.X, tipY};
  const Vector2 left{point.X - s, tipY - 2 * s};
  const Vector2 right{point.X + s, tipY - 2 * s};
  const float width = static_cast<float>(settings.thickness);
  canvas.SetColor(static_cast<char>(0xFF), static_cast<char>(0xFF), 0, static_cast<char>(0xFF));
  canvas.DrawLine(left, tip, width);
  canvas.DrawLine(tip, right, width);
  canvas.DrawLine(right, left, width);
}

void InstallFloor(vantorel_test::FrameScene& scene) {
  const auto& plugin = static_cast<const VantorelPlugin&>(*scene.host().plugin());
  const FloorSettings settings{*plugin.sequentialSwap ? Mode::kSequential : Mode::kBestCar,
                               plugin.lastSwapIndex.load(), *plugin.distanceWeight,
                               *plugin.renderIconSize, *plugin.renderThickness,
                               *plugin.renderIconHeight};
  GameWrapper& game = scene.game();
  scene.ReplaceDrawable(
      [&game, settings](CanvasWrapper canvas) { FloorFrame(game, canvas, settings); });
}

}  // namespace vantorel_bench
