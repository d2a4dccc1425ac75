// The rules of free play (web/src/Driving.h), stepped with the host's own
// motion as the page steps them.

#include "Driving.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vantorel_web {
namespace {

constexpr float kStep = 1.0f / 60.0f;

class DrivingTest : public ::testing::Test {
 protected:
  // Steps the match `seconds` long, calling `each` after every step.
  template <typename Each>
  void Run(float seconds, Controls controls, Each each) {
    for (int i = 0; i < static_cast<int>(seconds / kStep); ++i) {
      SteerMatch(*match_.Edit(), controls, kStep);
      match_.Advance(kStep);
      each(*match_.Read());
    }
  }
  void Run(float seconds, Controls controls = {}) {
    Run(seconds, controls, [](const simhost::MatchState&) {});
  }

  simhost::SimCar& AddCar(const char* name, std::uint8_t team, Vector location, int yaw = 0) {
    simhost::SimCar& car = match_.Edit()->AddCar(name);
    car.playerInfo.team = team;
    car.location = location;
    car.rotation.Yaw = yaw;
    return car;
  }

  simhost::Match match_{simhost::Locking::kUnlocked};
};

TEST_F(DrivingTest, TheBallBouncesOffEachWallAndStaysOnTheField) {
  const Vector kThrows[] = {{3000, 0, 0}, {-3000, 0, 0}, {0, 3000, 0}, {0, -3000, 0}};
  for (const Vector& velocity : kThrows) {
    {
      const auto match = match_.Edit();
      match->ball.location = Vector{0, 0, 93};
      match->ball.velocity = velocity;
    }
    bool turned = false;
    Run(4.0f, {}, [&](const simhost::MatchState& match) {
      const Vector& at = match.ball.location;
      ASSERT_LE(std::fabs(at.X), kHalfWidth - 93) << at.X;
      ASSERT_LE(std::fabs(at.Y), kHalfLength - 93) << at.Y;
      turned = turned || match.ball.velocity.X * velocity.X + match.ball.velocity.Y * velocity.Y < 0;
    });
    EXPECT_TRUE(turned) << velocity.X << "," << velocity.Y;
  }
}

TEST_F(DrivingTest, TheKeysDriveTheLocalCarWhichCoastsToAStop) {
  simhost::SimCar& ava = AddCar("Ava", 0, Vector{-3000, 0, 17});
  match_.Edit()->localCar = &ava;
  Run(1.0f, Controls{1, 0});  // forward along +X
  EXPECT_GT(ava.location.X, -2400.0f);
  EXPECT_NEAR(ava.location.Y, 0.0f, 1e-3f);
  const float speed = ava.velocity.X;
  Run(0.5f, Controls{1, 1});  // and to the right: the yaw grows
  EXPECT_GT(ava.rotation.Yaw, 4000);
  Run(3.0f);
  EXPECT_LT(std::hypot(ava.velocity.X, ava.velocity.Y), speed * 0.05f);
}

TEST_F(DrivingTest, ChasersStrikeTheBallHoldersTurnToItAndNoCarLeavesTheField) {
  AddCar("Ava", 0, Vector{0, -4500, 17});
  AddCar("Bo", 0, Vector{-1000, -1000, 17});  // an odd place: chases
  simhost::SimCar& cy = AddCar("Cy", 1, Vector{3500, 4800, 17}, -16384);  // holds
  for (int i = 0; i < 40; ++i) {
    AddCar(("car" + std::to_string(i)).c_str(), i % 2, Vector{i * 100.0f - 2000, 4900, 17});
  }
  match_.Edit()->ball.location = Vector{0, 0, 93};
  bool struck = false;
  Run(12.0f, {}, [&](const simhost::MatchState& match) {
    struck = struck || match.ball.velocity.X != 0 || match.ball.velocity.Y != 0;
    for (const auto& car : match.cars()) {
      ASSERT_LE(std::fabs(car->location.X), kHalfWidth - 90) << car->owner;
      ASSERT_LE(std::fabs(car->location.Y), kHalfLength - 90) << car->owner;
    }
  });
  EXPECT_TRUE(struck);
  EXPECT_LT(std::hypot(cy.velocity.X, cy.velocity.Y), 1.0f);
  const Vector ball = match_.Read()->ball.location;
  const double toBall = std::atan2(ball.Y - cy.location.Y, ball.X - cy.location.X);
  const double facing = cy.rotation.Yaw * (3.14159265358979 / 32768);
  EXPECT_NEAR(std::remainder(toBall - facing, 2 * 3.14159265358979), 0.0, 0.1);
}

}  // namespace
}  // namespace vantorel_web
