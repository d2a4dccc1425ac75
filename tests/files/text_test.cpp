#include "files/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace files {
namespace {

TEST(FormatTest, FloatsReadBackAsTheSameFloat) {
  EXPECT_EQ(FormatFloat(17.0f), "17");
  EXPECT_EQ(FormatFloat(0.1f), "0.100000001");
  EXPECT_EQ(FormatFloat(-0.0f), "-0");
  EXPECT_EQ(FormatFloat(3.0f), "3");
  EXPECT_EQ(FormatFloat(1e10f), "1e+10");
  EXPECT_EQ(FormatFloat(123456789.0f), "123456792");
  EXPECT_EQ(FormatFloat(std::numeric_limits<float>::max()), "3.40282347e+38");
  EXPECT_EQ(FormatFloat(std::numeric_limits<float>::denorm_min()), "1.40129846e-45");
  EXPECT_EQ(FormatFloat(std::numeric_limits<float>::infinity()), "inf");
  EXPECT_EQ(FormatFloat(-std::numeric_limits<float>::infinity()), "-inf");
  EXPECT_EQ(FormatFloat(std::nanf("")), "nan");

  // Nine significant digits name every float exactly.
  for (float value : {0.3f, 1.0f / 3.0f, 9.58738e-05f, 4096.5f, -1e-7f, 16777217.0f}) {
    EXPECT_EQ(std::strtof(FormatFloat(value).c_str(), nullptr), value) << FormatFloat(value);
  }
}

}  // namespace
}  // namespace files
