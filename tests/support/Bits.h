#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "Vector.h"

namespace vantorel_test {

// Floats by their bits: a swap must move every value as it is, -0 and NaN
// payloads included, which == cannot see.
std::uint32_t Bits(float value);
float FromBits(std::uint32_t bits);

// A vector's components in hexadecimal bits; a rotator's three integers.
std::string Describe(const Vector& v);
std::string Describe(const Rotator& r);

// Equal bits, so that -0 differs from 0 and NaNs compare by their payload.
// On failure the message shows both sides' bits.
::testing::AssertionResult SameBits(float actual, float expected);
::testing::AssertionResult SameBits(const Vector& actual, const Vector& expected);
::testing::AssertionResult SameBits(const Rotator& actual, const Rotator& expected);

}  // namespace vantorel_test
