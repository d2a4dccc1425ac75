#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "Vector.h"
#include "simhost/Match.h"

namespace vantorel_test {

// Everything a swap may exchange, as one car holds it: thirteen 32-bit
// quantities without padding, so that its bytes are exactly its values.
struct CarState {
  Vector location;
  Vector velocity;
  Vector angularVelocity;
  Rotator rotation;
  float boost = 0.0f;
};
static_assert(sizeof(CarState) == 13 * 4, "CarState must have no padding");

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

// The float whose bits are `bits`: how a test spells a NaN payload.
inline float FromBits(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// A value of 32-bit words (a float, Vector, Rotator or CarState) as those
// words in hexadecimal.
template <typename T>
std::string Words(const T& value) {
  static_assert(sizeof(T) % 4 == 0, "a value of 32-bit words");
  std::uint32_t words[sizeof(T) / 4];
  std::memcpy(words, &value, sizeof words);
  std::string text;
  for (std::uint32_t word : words) {
    char hex[16];
    std::snprintf(hex, sizeof hex, " %08x", static_cast<unsigned>(word));
    text += hex;
  }
  return text;
}

// Equal bits: a swap must move every value as it is, -0 and NaN payloads
// included, which == cannot see. On failure the message shows both sides.
template <typename T>
::testing::AssertionResult SameBits(const T& actual, const T& expected) {
  if (std::memcmp(&actual, &expected, sizeof(T)) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "bits" << Words(actual) << ", expected"
                                       << Words(expected);
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
