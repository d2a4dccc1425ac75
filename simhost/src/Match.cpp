#include "simhost/Match.h"

#include <utility>

namespace simhost {

MatchState::MatchState(Match* match) : match_(match) {
  localController.match = match;
  ball.match = match;
  camera.match = match;
  server.match = match;
}

SimCar& MatchState::AddCar(const std::string& owner) {
  auto car = std::make_unique<SimCar>();
  car->match = match_;
  car->owner = owner;
  car->playerInfo.match = match_;
  car->boostComponent.match = match_;
  SimCar* added = car.get();
  cars_.push_back(std::move(car));
  firstByOwner_.emplace(owner, added);  // an earlier car of that name stays first
  return *added;
}

void MatchState::AddNullCar() { cars_.push_back(nullptr); }

std::unique_ptr<SimCar> MatchState::RemoveCar(std::size_t index) {
  if (index >= cars_.size() || !cars_[index]) return nullptr;
  std::unique_ptr<SimCar> removed = std::move(cars_[index]);
  const auto first = firstByOwner_.find(removed->owner);
  if (first != firstByOwner_.end() && first->second == removed.get()) {
    // Only a later car can share the name: an earlier one would be first.
    firstByOwner_.erase(first);
    for (std::size_t i = index + 1; i < cars_.size(); ++i) {
      if (cars_[i] && cars_[i]->owner == removed->owner) {
        firstByOwner_.emplace(removed->owner, cars_[i].get());
        break;
      }
    }
  }
  return removed;
}

SimCar* MatchState::FindCar(const std::string& owner) const {
  const auto found = firstByOwner_.find(owner);
  return found != firstByOwner_.end() ? found->second : nullptr;
}

Match::Match(Locking locking) : state_(this), locked_(locking == Locking::kLocked) {}

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
  const auto state = Edit();
  for (const auto& car : state->cars()) {
    if (car) Move(*car, dt);
  }
  if (state->hasBall) Move(state->ball, dt);
}

}  // namespace simhost
