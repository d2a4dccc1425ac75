// FloatToChars.h, the WebAssembly build's floating-point to_chars, against
// this platform's std::to_chars: the same text for every value, or the
// page and the program would print different digits.

#include "FloatToChars.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

using vantorel_compat::PrecisionToChars;
using vantorel_compat::ShortestToChars;

std::string Text(char* first, std::to_chars_result result) {
  EXPECT_EQ(result.ec, std::errc());
  return std::string(first, result.ptr);
}

std::string Native(float value) {
  char text[64];
  return Text(text, std::to_chars(text, text + sizeof text, value));
}
std::string Filled(float value) {
  char text[64];
  return Text(text, ShortestToChars(text, text + sizeof text, value));
}
std::string Native(double value, std::chars_format format, int precision) {
  char text[1200];
  return Text(text, std::to_chars(text, text + sizeof text, value, format, precision));
}
std::string Filled(double value, std::chars_format format, int precision) {
  char text[1200];
  return Text(text, PrecisionToChars(text, text + sizeof text, value, format, precision));
}

float FloatOf(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Every `stride`-th bit pattern: each exponent, both signs, subnormals,
// infinities and NaNs.
template <typename Check>
void EveryFloat(std::uint64_t stride, Check check) {
  for (std::uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += stride) {
    check(FloatOf(static_cast<std::uint32_t>(bits)));
  }
}

// Values where rounding is close: ties, powers of two, the ends of the
// range, whole numbers past 2^24.
const float kEdgeFloats[] = {
    0.0f, -0.0f, 1.0f, 0.1f, 0.5f, 3.0f, 1e-5f, 0.000123f, 8388608.5f, 16777216.0f,
    16777218.0f, 123456792.0f, 1e10f, 1e20f, 3.40282347e+38f, 1.17549435e-38f,
    1.40129846e-45f, 9.99999975e-6f, 1e23f, std::numeric_limits<float>::infinity()};

TEST(FloatToCharsTest, ShortestFloatIsTheLibrarysForAMillionFloats) {
  int mismatches = 0;
  const auto check = [&](float value) {
    if (Filled(value) != Native(value) && ++mismatches <= 10) {
      ADD_FAILURE() << std::hexfloat << value << ": " << Filled(value) << " for "
                    << Native(value);
    }
  };
  EveryFloat(4093, check);
  for (const float value : kEdgeFloats) check(value);
  EXPECT_EQ(mismatches, 0);
}

// How the program prints floats: widened, fixed with 6 decimals (the
// plugin's score lines) and general with 9 digits (everything else).
TEST(FloatToCharsTest, WidenedFloatsAreTheLibrarysAsTheProgramPrintsThem) {
  int mismatches = 0;
  const auto check = [&](float value) {
    for (const auto& [format, precision] :
         {std::pair{std::chars_format::fixed, 6}, std::pair{std::chars_format::general, 9}}) {
      const std::string filled = Filled(value, format, precision);
      if (filled != Native(value, format, precision) && ++mismatches <= 10) {
        ADD_FAILURE() << std::hexfloat << value << " " << precision << ": " << filled;
      }
    }
  };
  EveryFloat(8191, check);
  for (const float value : kEdgeFloats) check(value);
  EXPECT_EQ(mismatches, 0);
}

TEST(FloatToCharsTest, DoublesInEveryFormatAndPrecisionAreTheLibrarys) {
  constexpr std::chars_format kFormats[] = {
      std::chars_format::fixed, std::chars_format::scientific, std::chars_format::general};
  std::mt19937_64 random(20);
  int mismatches = 0;
  const auto check = [&](double value, std::chars_format format, int precision) {
    const std::string filled = Filled(value, format, precision);
    if (filled != Native(value, format, precision) && ++mismatches <= 10) {
      ADD_FAILURE() << std::hexfloat << value << " format " << static_cast<int>(format)
                    << " precision " << precision << ": " << filled;
    }
  };
  for (int i = 0; i < 100000; ++i) {
    const std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    check(value, kFormats[i % 3], static_cast<int>(random() % 20));
  }
  // Exact ties at the last digit round to even; 9.5 to 10 adds a digit.
  for (const double value : {0.0078125, 2.5, 0.5, 9.5, 999999.5, 1e23, 5e-324,
                             1.7976931348623157e308, -0.0}) {
    for (const std::chars_format format : kFormats) {
      for (int precision = 0; precision < 12; ++precision) check(value, format, precision);
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(FloatToCharsTest, FailsAsToCharsFails) {
  char text[4];
  const auto shortest = ShortestToChars(text, text + sizeof text, 0.125f);  // "0.125"
  EXPECT_EQ(shortest.ec, std::errc::value_too_large);
  EXPECT_EQ(shortest.ptr, text + sizeof text);
  const auto fixed = PrecisionToChars(text, text + sizeof text, -1.0, std::chars_format::fixed, 2);
  EXPECT_EQ(fixed.ec, std::errc::value_too_large);
  const auto hex = PrecisionToChars(text, text + sizeof text, 1.0, std::chars_format::hex, 2);
  EXPECT_EQ(hex.ec, std::errc::invalid_argument);
}

}  // namespace
