#include "simhost/Match.h"

namespace simhost {

Match::Match() {
  localController.match = this;
  ball.match = this;
  camera.match = this;
  server.match = this;
}

SimCar& Match::AddCar(const std::string& owner) {
  auto car = std::make_unique<SimCar>();
  car->match = this;
  car->owner = owner;
  car->playerInfo.match = this;
  car->boostComponent.match = this;
  cars_.push_back(std::move(car));
  return *cars_.back();
}

void Match::AddNullCar() { cars_.push_back(nullptr); }

SimCar* Match::FindCar(const std::string& owner) {
  for (const auto& car : cars_) {
    if (car && car->owner == owner) return car.get();
  }
  return nullptr;
}

}  // namespace simhost
