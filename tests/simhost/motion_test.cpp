// Match::Advance, checked bit for bit against values worked out by hand:
// each product velocity * dt rounded to a 32-bit float, then the sum
// location + product rounded again. The values were worked with exact
// rational arithmetic, not with the code under test.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "CarState.h"
#include "simhost/Match.h"

namespace {

using simhost::Match;
using simhost::SimCar;
using vantorel_test::FromBits;
using vantorel_test::SameBits;

// 1/60 as a 32-bit float: 0x3c888889 = 0.01666666753590107.
const float kSixtieth = 1.0f / 60.0f;

Vector Bits(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
  return Vector{FromBits(x), FromBits(y), FromBits(z)};
}

// The car: loc 0.1,-3000,93, vel 900,1000,-0.3. Every product rounds
// (900 * dt = 15.0000007..., not a float). The ball: loc -600,800,93,
// vel 1234.5,-333.3,2300.
TEST(MotionTest, MovesCarsThenTheBallByVelocityTimesDt) {
  Match match;
  SimCar& car = match.Edit()->AddCar("Ava");
  car.location = Vector{0.1f, -3000.0f, 93.0f};
  car.velocity = Vector{900.0f, 1000.0f, -0.3f};
  match.Edit()->ball.location = Vector{-600.0f, 800.0f, 93.0f};
  match.Edit()->ball.velocity = Vector{1234.5f, -333.3f, 2300.0f};

  const Vector carAfter[3] = {
      Bits(0x4171999b, 0xc53a7555, 0x42b9fd71),  // 15.1000013, -2983.33325, 92.9950027
      Bits(0x41f0ccce, 0xc5396aaa, 0x42b9fae2),  // 30.1000023, -2966.66650, 92.9900055
      Bits(0x42346667, 0xc5385fff, 0x42b9f853),  // 45.1000023, -2949.99976, 92.9850082
  };
  const Vector ballAfter[3] = {
      Bits(0xc410db33, 0x44469c7b, 0x43035556),  // -579.424988, 794.445007, 131.333344
      Bits(0xc40bb666, 0x444538f6, 0x4329aaac),  // -558.849976, 788.890015, 169.666687
      Bits(0xc4069199, 0x4443d571, 0x43500002),  // -538.274963, 783.335022, 208.000031
  };
  for (int frame = 0; frame < 3; ++frame) {
    match.Advance(kSixtieth);
    EXPECT_TRUE(SameBits(car.location, carAfter[frame])) << "frame " << frame;
    EXPECT_TRUE(SameBits(match.Read()->ball.location, ballAfter[frame])) << "frame " << frame;
  }
}

// Where one rounding (a fused multiply-add) would land elsewhere: the
// first step of the car's X and each of the ball's Z. The expected values
// above are the twice-rounded ones; this shows the fused ones differ, so
// that the test above would catch a build that fuses.
TEST(MotionTest, TheCasesAboveTellTwoRoundingsFromOne) {
  EXPECT_FALSE(SameBits(std::fma(900.0f, kSixtieth, 0.1f), FromBits(0x4171999b)));
  EXPECT_TRUE(SameBits(std::fma(900.0f, kSixtieth, 0.1f), FromBits(0x4171999a)));
  EXPECT_TRUE(SameBits(std::fma(2300.0f, kSixtieth, 93.0f), FromBits(0x43035555)));
}

TEST(MotionTest, ChangesNothingButLocations) {
  Match match;
  match.Edit()->AddNullCar();
  SimCar& car = match.Edit()->AddCar("Ava");
  vantorel_test::CarState state;
  state.location = Vector{1.0f, 2.0f, 3.0f};
  state.velocity = Vector{60.0f, -120.0f, 0.0f};
  state.angularVelocity = Vector{1.0f, 2.0f, 3.0f};
  state.rotation = Rotator{100, -200, 300};
  state.boost = 33.0f;
  vantorel_test::SetState(car, state);
  match.Edit()->AddNullCar();
  match.Edit()->ball.velocity = Vector{0.0f, 0.0f, -60.0f};

  match.Advance(0.5f);
  state.location = Vector{31.0f, -58.0f, 3.0f};
  vantorel_test::ExpectState(car, state);
  EXPECT_EQ(match.Read()->cars()[0], nullptr);
  EXPECT_EQ(match.Read()->cars()[2], nullptr);
  EXPECT_TRUE(SameBits(match.Read()->ball.location, Vector{0.0f, 0.0f, -30.0f}));
  EXPECT_TRUE(SameBits(match.Read()->ball.velocity, Vector{0.0f, 0.0f, -60.0f}));
}

// Not-a-number goes in, not-a-number comes out, from either side of the
// sum; which NaN, when both sides are one, is the compiler's to choose.
TEST(MotionTest, ANaNStaysANaN) {
  Match match;
  SimCar& car = match.Edit()->AddCar("Ava");
  car.location = Vector{FromBits(0x7fc00001), 1.0f, FromBits(0xffc00002)};
  car.velocity = Vector{1.0f, FromBits(0x7fc00003), FromBits(0x7fc00004)};
  match.Advance(kSixtieth);
  EXPECT_TRUE(std::isnan(car.location.X));
  EXPECT_TRUE(std::isnan(car.location.Y));
  EXPECT_TRUE(std::isnan(car.location.Z));
  EXPECT_TRUE(SameBits(car.velocity.X, 1.0f));
}

// A match without a ball keeps the one it had where it was: brought back,
// it stands where it left.
TEST(MotionTest, AMatchWithoutABallMovesNone) {
  Match match;
  match.Edit()->ball.location = Vector{5.0f, 6.0f, 7.0f};
  match.Edit()->ball.velocity = Vector{100.0f, 100.0f, 100.0f};
  match.Edit()->hasBall = false;
  match.Advance(kSixtieth);
  EXPECT_TRUE(SameBits(match.Read()->ball.location, Vector{5.0f, 6.0f, 7.0f}));
}

}  // namespace
