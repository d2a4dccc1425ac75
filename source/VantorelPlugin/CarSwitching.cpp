// The press of the pickup button: choosing the car to switch to, and
// exchanging the two cars' state.

#include <cstdint>
#include <limits>
#include <string>

#include "CarScore.h"
#include "VantorelPlugin.h"

namespace {

// Decides which cars of the list the player may switch to: team-mates, never
// the player's own car. A car without player information has no team, so it
// never qualifies, and when the player's car has none, no car does.
class TeamFilter {
 public:
  explicit TeamFilter(CarWrapper& currentCar) : currentCar_(currentCar) {
    PriWrapper info = currentCar.GetPRI();
    hasTeam_ = !info.IsNull();
    if (hasTeam_) team_ = info.GetTeamNum();
  }

  bool Qualifies(CarWrapper& car) const {
    if (!hasTeam_ || car.memory_address == currentCar_.memory_address) return false;
    PriWrapper info = car.GetPRI();
    return !info.IsNull() && info.GetTeamNum() == team_;
  }

 private:
  CarWrapper& currentCar_;
  bool hasTeam_ = false;
  std::uint8_t team_ = 0;
};

// The index after `index` in a list of `count`, wrapping round to 0.
std::int32_t NextIndex(std::int32_t index, std::int32_t count) {
  return index + 1 < count ? index + 1 : 0;
}

// Exchanges one quantity between the two cars. Both old values are read
// before either car is written, the other car first each time, so the result
// does not depend on the order of the writes.
template <typename Object, typename Get, typename Set>
void Exchange(Object& player, Object& other, Get get, Set set) {
  const auto otherOld = get(other);
  const auto playerOld = get(player);
  set(other, playerOld);
  set(player, otherOld);
}

}  // namespace

void VantorelPlugin::SwapCar(PlayerControllerWrapper caller, void* /*params*/,
                             std::string /*eventName*/) {
  CarWrapper car = caller.GetCar();
  const bool inGame = gameWrapper->IsInGame();
  if (!*enabled || !inGame || car.IsNull()) {
    if (car.IsNull()) {
      cvarManager->log("Swap pressed but null car");
    } else {
      cvarManager->log("Swap pressed but mod disabled. Owner: " + car.GetOwnerName());
    }
    return;
  }
  cvarManager->log("Swap pressed. Owner: " + car.GetOwnerName());

  ServerWrapper server = gameWrapper->GetGameEventAsServer();
  if (server.IsNull()) {
    // The host said a game runs but handed us none: nothing to swap within.
    cvarManager->log("Bad server in SwapCar");
    return;
  }
  ArrayWrapper<CarWrapper> cars = server.GetCars();
  const std::int32_t index = FindCandidateSwitchCar(cars, car, true);
  if (index < 0 || index >= cars.Count()) {
    cvarManager->log("Bad car2 index in SwapCar");
    return;
  }
  lastSwapIndex.store(index, std::memory_order_relaxed);

  CarWrapper other = cars.Get(index);
  if (other.IsNull()) {
    cvarManager->log("Bad car2 in SwapCar");
    return;
  }

  Exchange(car, other, [](CarWrapper& c) { return c.GetLocation(); },
           [](CarWrapper& c, Vector v) { c.SetLocation(v); });
  if (*setVelocities) {
    Exchange(car, other, [](CarWrapper& c) { return c.GetVelocity(); },
             [](CarWrapper& c, Vector v) { c.SetVelocity(v); });
    Exchange(car, other, [](CarWrapper& c) { return c.GetAngularVelocity(); },
             [](CarWrapper& c, Vector v) { c.SetAngularVelocity(v, false); });
  }
  if (*setRotation) {
    Exchange(car, other, [](CarWrapper& c) { return c.GetRotation(); },
             [](CarWrapper& c, Rotator r) { c.SetRotation(r); });
  }
  if (*setBoost) {
    BoostWrapper playerBoost = car.GetBoostComponent();
    BoostWrapper otherBoost = other.GetBoostComponent();
    if (playerBoost.IsNull() || otherBoost.IsNull()) {
      cvarManager->log("Bad boost in SwapCar");
      return;
    }
    Exchange(playerBoost, otherBoost, [](BoostWrapper& b) { return b.GetCurrentBoostAmount(); },
             [](BoostWrapper& b, float amount) { b.SetBoostAmount(amount); });
  }
}

std::int32_t VantorelPlugin::FindCandidateSwitchCar(ArrayWrapper<CarWrapper>& carArray,
                                                    CarWrapper& currentCar, bool logDetails) {
  if (*sequentialSwap) return FindNextTeammate(carArray, currentCar, logDetails);
  return FindBestTeammate(carArray, currentCar, logDetails);
}

std::int32_t VantorelPlugin::FindNextTeammate(ArrayWrapper<CarWrapper>& carArray,
                                              CarWrapper& currentCar, bool logDetails) {
  if (logDetails) cvarManager->log("Finding sequential car");
  const std::int32_t count = carArray.Count();
  if (count <= 0) return 0;

  const TeamFilter filter(currentCar);
  // The walk starts after the last choice, which may lie beyond a list that
  // has shrunk since, and wraps round to 0. Counted in 64 bits: the sum may
  // pass the 32-bit range on a huge list.
  const std::int64_t last = lastSwapIndex.load(std::memory_order_relaxed);
  auto index = static_cast<std::int32_t>((last + 1) % count);
  for (std::int32_t offset = 1; offset <= count; ++offset, index = NextIndex(index, count)) {
    if (logDetails) cvarManager->log("Inspecting car: " + std::to_string(offset));
    CarWrapper car = carArray.Get(index);
    if (car.IsNull()) {
      cvarManager->log("Bad carArray in FindCandidateSwitchCar Sequential");
      return -1;
    }
    if (filter.Qualifies(car)) {
      if (logDetails) {
        cvarManager->log("Car Valid");
        cvarManager->log("Next Car " + std::to_string(offset) + " Found");
      }
      return index;
    }
  }
  return 0;
}

std::int32_t VantorelPlugin::FindBestTeammate(ArrayWrapper<CarWrapper>& carArray,
                                              CarWrapper& currentCar, bool logDetails) {
  if (logDetails) cvarManager->log("Finding best car");
  BallWrapper ball = ServerOfTheCurrentGame(gameWrapper->IsInGame()).GetBall();
  if (ball.IsNull()) {
    cvarManager->log("Bad ball in FindCandidateSwitchCar Intelligent");
    return -1;
  }
  const Vector ballLocation = ball.GetLocation();
  const float weight = *distanceWeight;
  const std::int32_t count = carArray.Count();
  if (count <= 0) return 0;

  const TeamFilter filter(currentCar);
  float best = std::numeric_limits<float>::max();
  std::int32_t result = 0;
  for (std::int32_t index = 0; index < count; ++index) {
    if (logDetails) cvarManager->log("Inspecting car: " + std::to_string(index));
    CarWrapper car = carArray.Get(index);
    if (car.IsNull()) {
      cvarManager->log("Bad carArray in FindCandidateSwitchCar Intelligent");
      return -1;
    }
    if (!filter.Qualifies(car)) continue;

    const vantorel::CarScore s =
        vantorel::ScoreCar(ballLocation, car.GetLocation(), car.GetRotation(), weight);
    if (logDetails) cvarManager->log(vantorel::ScoreLine(s));
    // Strictly lower: ties keep the lower index, and a score that is not a
    // number never wins.
    if (s.score < best) {
      if (logDetails) cvarManager->log("New Nearest Car " + std::to_string(index) + " Found");
      result = index;
      best = s.score;
    }
  }
  return result;
}

ServerWrapper VantorelPlugin::ServerOfTheCurrentGame(bool hosted) const {
  return hosted ? gameWrapper->GetGameEventAsServer() : gameWrapper->GetOnlineGame();
}
