#include "SceneBuffer.h"

#include <cstring>

namespace vantorel_web {

void SceneBuffer::Fill(const vantorel_sim::Scene& scene, const std::vector<Vector2>* facing) {
  words_.clear();
  names_.clear();
  const auto count = [](std::size_t n) { return static_cast<std::int32_t>(n); };
  words_.insert(words_.end(), {scene.canvas.X, scene.canvas.Y, count(scene.cars.size()),
                               scene.hasBall ? 1 : 0, scene.ball.X, scene.ball.Y,
                               count(scene.drawing.size())});
  for (std::size_t i = 0; i < scene.cars.size(); ++i) {
    const vantorel_sim::Scene::CarMark& car = scene.cars[i];
    const Vector2 ahead = facing != nullptr ? (*facing)[i] : car.point;
    words_.insert(words_.end(), {car.point.X, car.point.Y, ahead.X, ahead.Y, car.team});
    names_ += car.owner;
    names_ += '\n';
  }
  for (const simhost::DrawCall& call : scene.drawing) {
    std::int32_t width;
    std::memcpy(&width, &call.width, sizeof width);
    words_.insert(words_.end(),
                  {call.kind == simhost::DrawCall::Kind::kLine ? 1 : 0, call.color[0],
                   call.color[1], call.color[2], call.color[3], call.start.X, call.start.Y,
                   call.end.X, call.end.Y, width});
  }
}

}  // namespace vantorel_web
