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
  SimCar* added = car.get();
  cars_.push_back(std::move(car));
  firstByOwner_.emplace(owner, added);  // an earlier car of that name stays first
  return *added;
}

void Match::AddNullCar() { cars_.push_back(nullptr); }

SimCar* Match::FindCar(const std::string& owner) {
  const auto found = firstByOwner_.find(owner);
  return found != firstByOwner_.end() ? found->second : nullptr;
}

}  // namespace simhost
