#pragma once

#include <gtest/gtest.h>

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

// What `car` holds now.
CarState StateOf(const simhost::SimCar& car);
// Puts `state` into `car`.
void SetState(simhost::SimCar& car, const CarState& state);

// Every quantity bit for bit (see Bits.h).
::testing::AssertionResult SameBits(const CarState& actual, const CarState& expected);

// Checks every quantity `car` holds against `expected`, bit for bit, each
// one failing on its own.
void ExpectState(const simhost::SimCar& car, const CarState& expected);

}  // namespace vantorel_test
