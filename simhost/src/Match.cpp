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

namespace {

// Two roundings, a product and then a sum: the build keeps the compiler from
// fusing them (-ffp-contract=off), so that every platform moves a car to
// the same bits.
void Move(SimActor& actor, float dt) {
  actor.location.X = actor.location.X + actor.velocity.X * dt;
  actor.location.Y = actor.location.Y + actor.velocity.Y * dt;
  actor.location.Z = actor.location.Z + actor.velocity.Z * dt;
}

}  // namespace

void Match::Advance(float dt) {
  std::lock_guard<std::mutex> guard(lock_);
  for (const auto& car : cars_) {
    if (car) Move(*car, dt);
  }
  if (hasBall) Move(ball, dt);
}

SimCar* Match::FindCar(const std::string& owner) {
  const auto found = firstByOwner_.find(owner);
  return found != firstByOwner_.end() ? found->second : nullptr;
}

}  // namespace simhost
