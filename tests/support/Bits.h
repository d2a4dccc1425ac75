#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "Vector.h"

namespace vantorel_test {

// Floats by their bits: a swap must move every value as it is, -0 and NaN
// payloads included, which == cannot see.
inline std::uint32_t Bits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline float FromBits(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// A vector's components in hexadecimal bits; a rotator's three integers.
inline std::string Describe(const Vector& v) {
  char text[96];
  std::snprintf(text, sizeof text, "(%08x %08x %08x)", Bits(v.X), Bits(v.Y), Bits(v.Z));
  return text;
}

inline std::string Describe(const Rotator& r) {
  return "(" + std::to_string(r.Pitch) + " " + std::to_string(r.Yaw) + " " +
         std::to_string(r.Roll) + ")";
}

// Equal bits, so that -0 differs from 0 and NaNs compare by their payload.
// On failure the message shows both sides.
inline ::testing::AssertionResult SameBits(float actual, float expected) {
  if (Bits(actual) == Bits(expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << std::hex << "bits " << Bits(actual) << " expected "
                                       << Bits(expected);
}

inline ::testing::AssertionResult SameBits(const Vector& actual, const Vector& expected) {
  if (Bits(actual.X) == Bits(expected.X) && Bits(actual.Y) == Bits(expected.Y) &&
      Bits(actual.Z) == Bits(expected.Z)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "bits " << Describe(actual) << " expected " << Describe(expected);
}

inline ::testing::AssertionResult SameBits(const Rotator& actual, const Rotator& expected) {
  if (actual.Pitch == expected.Pitch && actual.Yaw == expected.Yaw &&
      actual.Roll == expected.Roll) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << Describe(actual) << " expected " << Describe(expected);
}

}  // namespace vantorel_test
