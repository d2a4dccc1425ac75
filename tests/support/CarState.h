#pragma once

#include <gtest/gtest.h>

#include "Bits.h"
#include "Vector.h"
#include "simhost/Match.h"

namespace vantorel_test {

// Everything a swap may exchange, as one car holds it.
struct CarState {
  Vector location;
  Vector velocity;
  Vector angularVelocity;
  Rotator rotation;
  float boost = 0.0f;
};

inline CarState StateOf(const simhost::SimCar& car) {
  return CarState{car.location, car.velocity, car.angularVelocity, car.rotation,
                  car.boostComponent.amount};
}

inline void SetState(simhost::SimCar& car, const CarState& state) {
  car.location = state.location;
  car.velocity = state.velocity;
  car.angularVelocity = state.angularVelocity;
  car.rotation = state.rotation;
  car.boostComponent.amount = state.boost;
}

// Every quantity, bit for bit.
inline ::testing::AssertionResult SameBits(const CarState& actual, const CarState& expected) {
  for (auto same : {SameBits(actual.location, expected.location),
                    SameBits(actual.velocity, expected.velocity),
                    SameBits(actual.angularVelocity, expected.angularVelocity),
                    SameBits(actual.rotation, expected.rotation),
                    SameBits(actual.boost, expected.boost)}) {
    if (!same) return same;
  }
  return ::testing::AssertionSuccess();
}

// Checks every quantity `car` holds against `expected`, bit for bit, each
// failing on its own.
inline void ExpectState(const simhost::SimCar& car, const CarState& expected) {
  SCOPED_TRACE(car.owner);
  EXPECT_TRUE(SameBits(car.location, expected.location)) << "location";
  EXPECT_TRUE(SameBits(car.velocity, expected.velocity)) << "velocity";
  EXPECT_TRUE(SameBits(car.angularVelocity, expected.angularVelocity)) << "angular velocity";
  EXPECT_TRUE(SameBits(car.rotation, expected.rotation)) << "rotation";
  EXPECT_TRUE(SameBits(car.boostComponent.amount, expected.boost)) << "boost";
}

}  // namespace vantorel_test
