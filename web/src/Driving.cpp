#include "Driving.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Facing.h"

namespace vantorel_web {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kCarRadius = 90.0f;
constexpr float kBallRadius = 93.0f;
constexpr float kReach = 190.0f;  // a car this near the ball strikes it

constexpr float kTopSpeed = 2300.0f;
constexpr float kReverseSpeed = 900.0f;
constexpr float kAcceleration = 1600.0f;  // per second
constexpr float kCoasting = 1.5f;         // of the speed lost per second
constexpr double kTurnRate = 2.8;         // radians per second
constexpr float kChaseSpeed = 1500.0f;
constexpr float kHoldSpeed = 1000.0f;
constexpr float kHoldDistance = 250.0f;
constexpr float kBallFriction = 0.25f;  // of the speed lost per second
constexpr float kStrikeSpeed = 700.0f;

double Wrapped(double radians) {
  while (radians > kPi) radians -= 2 * kPi;
  while (radians <= -kPi) radians += 2 * kPi;
  return radians;
}

double YawOf(const simhost::SimCar& car) { return car.rotation.Yaw * (kPi / 32768.0); }

// How fast `car` goes along its facing, backwards below zero.
float ForwardSpeed(const simhost::SimCar& car) {
  const Facing facing = FacingOf(car.rotation);
  return static_cast<float>(car.velocity.X * facing.cosYaw + car.velocity.Y * facing.sinYaw);
}

// Points `car` level along `yaw` and sends it at `speed` the way it faces.
void Drive(simhost::SimCar& car, double yaw, float speed) {
  const auto units = static_cast<std::int32_t>(std::lround(Wrapped(yaw) * (32768.0 / kPi)));
  car.rotation = Rotator{0, std::clamp<std::int32_t>(units, -32768, 32767), 0};
  const Facing facing = FacingOf(car.rotation);
  car.velocity = Vector{static_cast<float>(speed * facing.cosYaw),
                        static_cast<float>(speed * facing.sinYaw), 0.0f};
}

float Approach(float value, float target, float step) {
  return value + std::clamp(target - value, -step, step);
}

void SteerLocal(simhost::SimCar& car, Controls controls, float dt) {
  float speed = ForwardSpeed(car);
  if (controls.throttle != 0) {
    const float target = controls.throttle > 0 ? kTopSpeed : -kReverseSpeed;
    // Braking against the motion is twice as strong as speeding up.
    const bool braking = (speed > 0) != (controls.throttle > 0) && speed != 0;
    speed = Approach(speed, target, kAcceleration * dt * (braking ? 2 : 1));
  } else {
    speed -= speed * std::min(1.0f, kCoasting * dt);
  }
  // A car turns slowly on the spot and fully from a little speed on;
  // backwards, the keys turn it the other way, as a steering wheel does.
  const double grip = 0.35 + 0.65 * std::min(1.0, std::fabs(speed) / 500.0);
  const double turn = controls.steer * kTurnRate * dt * grip * (speed < 0 ? -1 : 1);
  Drive(car, YawOf(car) + turn, speed);
}

// Where the car at `index` holds its place: in its own team's half.
Vector HomeOf(std::size_t index, std::uint8_t team) {
  const float across = -3000.0f + static_cast<float>(index * 1237 % 6000);
  const float along = 2500.0f + static_cast<float>(index * 733 % 1500);
  return Vector{across, team == 0 ? -along : along, 17.0f};
}

void SteerOther(simhost::SimCar& car, std::size_t index, const Vector& ball, float dt) {
  const bool chases = index % 2 == 1;
  const Vector target = chases ? ball : HomeOf(index, car.playerInfo.team);
  const double dx = target.X - car.location.X;
  const double dy = target.Y - car.location.Y;
  const double distance = std::hypot(dx, dy);
  double heading = std::atan2(dy, dx);
  float speed = chases ? kChaseSpeed : std::min(kHoldSpeed, static_cast<float>(distance) * 2);
  if (!chases && distance < kHoldDistance) {
    heading = std::atan2(ball.Y - car.location.Y, ball.X - car.location.X);
    speed = 0;
  }
  const double yaw = YawOf(car);
  const double off = Wrapped(heading - yaw);
  if (std::fabs(off) > 1.2) speed *= 0.4f;  // slow down to turn round
  const double turn = std::clamp(off, -kTurnRate * dt, kTurnRate * dt);
  Drive(car, yaw + turn, Approach(ForwardSpeed(car), speed, 2 * kAcceleration * dt));
}

// Turns back a velocity that would carry a body past a wall in the next
// step: `bounce` of it for the ball, none for a car, which stops there.
void KeepInside(const Vector& location, Vector& velocity, float radius, float bounce, float dt) {
  const auto keep = [&](float position, float& speed, float half) {
    const float next = position + speed * dt;
    if (std::fabs(next) > half - radius && (next > 0) == (speed > 0)) speed = -speed * bounce;
  };
  keep(location.X, velocity.X, kHalfWidth);
  keep(location.Y, velocity.Y, kHalfLength);
}

void SteerBall(simhost::MatchState& match, float dt) {
  simhost::SimBall& ball = match.ball;
  ball.velocity.X -= ball.velocity.X * kBallFriction * dt;
  ball.velocity.Y -= ball.velocity.Y * kBallFriction * dt;
  ball.velocity.Z = 0.0f;
  for (const auto& car : match.cars()) {
    if (!car) continue;
    const float dx = ball.location.X - car->location.X;
    const float dy = ball.location.Y - car->location.Y;
    const float distance = std::hypot(dx, dy);
    if (distance >= kReach || distance == 0.0f) continue;
    const float strike =
        std::max(kStrikeSpeed, 1.3f * std::hypot(car->velocity.X, car->velocity.Y));
    // Already leaving faster than this car would send it: no second strike.
    if ((ball.velocity.X * dx + ball.velocity.Y * dy) / distance >= 0.9f * strike) continue;
    ball.velocity.X = strike * dx / distance;
    ball.velocity.Y = strike * dy / distance;
  }
  KeepInside(ball.location, ball.velocity, kBallRadius, 0.85f, dt);
}

}  // namespace

void SteerMatch(simhost::MatchState& match, Controls controls, float dt) {
  const auto& cars = match.cars();
  for (std::size_t i = 0; i < cars.size(); ++i) {
    simhost::SimCar* car = cars[i].get();
    if (car == nullptr) continue;
    if (car == match.localCar) {
      SteerLocal(*car, controls, dt);
    } else {
      SteerOther(*car, i, match.ball.location, dt);
    }
    KeepInside(car->location, car->velocity, kCarRadius, 0.0f, dt);
  }
  if (match.hasBall) SteerBall(match, dt);
}

}  // namespace vantorel_web
