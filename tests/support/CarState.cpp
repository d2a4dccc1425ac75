#include "CarState.h"

#include "Bits.h"

namespace vantorel_test {

CarState StateOf(const simhost::SimCar& car) {
  return CarState{car.location, car.velocity, car.angularVelocity, car.rotation,
                  car.boostComponent.amount};
}

void SetState(simhost::SimCar& car, const CarState& state) {
  car.location = state.location;
  car.velocity = state.velocity;
  car.angularVelocity = state.angularVelocity;
  car.rotation = state.rotation;
  car.boostComponent.amount = state.boost;
}

::testing::AssertionResult SameBits(const CarState& actual, const CarState& expected) {
  if (auto same = SameBits(actual.location, expected.location); !same) return same << " (location)";
  if (auto same = SameBits(actual.velocity, expected.velocity); !same) return same << " (velocity)";
  if (auto same = SameBits(actual.angularVelocity, expected.angularVelocity); !same) {
    return same << " (angular velocity)";
  }
  if (auto same = SameBits(actual.rotation, expected.rotation); !same) return same << " (rotation)";
  if (auto same = SameBits(actual.boost, expected.boost); !same) return same << " (boost)";
  return ::testing::AssertionSuccess();
}

void ExpectState(const simhost::SimCar& car, const CarState& expected) {
  SCOPED_TRACE(car.owner);
  EXPECT_TRUE(SameBits(car.location, expected.location)) << "location";
  EXPECT_TRUE(SameBits(car.velocity, expected.velocity)) << "velocity";
  EXPECT_TRUE(SameBits(car.angularVelocity, expected.angularVelocity)) << "angular velocity";
  EXPECT_TRUE(SameBits(car.rotation, expected.rotation)) << "rotation";
  EXPECT_TRUE(SameBits(car.boostComponent.amount, expected.boost)) << "boost";
}

}  // namespace vantorel_test
