#include "CarScore.h"

#include <charconv>
#include <cmath>

#include "Facing.h"

namespace vantorel {

namespace {

// The score is computed in 32-bit floats in a fixed order, and the three
// functions whose single-precision versions differ between runtimes (sine,
// cosine, arc cosine) are taken as the correctly rounded float: the
// double-precision function of the widened argument, rounded once.
float Rounded(double x) { return static_cast<float>(x); }
float ArcCosine(float x) { return Rounded(std::acos(static_cast<double>(x))); }

constexpr float kPi = 3.1415927f;
// A car this far from the ball weighs as much as one facing straight away.
constexpr float kDistanceScale = 10000.0f;

// The direction a car with `rotation` faces, as a unit vector. The sines and
// cosines are FacingOf's, as the camera's projection takes them, but here
// each is rounded to a float and the products are floats, where the
// projection multiplies the doubles. Neither can take the other's way: it
// would change digits users have seen, the console's score lines or every
// projected point and picture.
Vector FacingVector(const Rotator& rotation) {
  const Facing facing = FacingOf(rotation);
  const float cosPitch = Rounded(facing.cosPitch);
  const float fx = cosPitch * Rounded(facing.cosYaw);
  const float fy = cosPitch * Rounded(facing.sinYaw);
  const float fz = Rounded(facing.sinPitch);
  // Normalised although its length is 1 in exact arithmetic: the rounding of
  // this division is part of the score every player has seen.
  const float length = std::sqrt(fx * fx + fy * fy + fz * fz);
  return Vector{fx / length, fy / length, fz / length};
}

// Appends `value` as "%f" would print it widened to double. std::to_chars
// gives the same digits on every runtime, where printf does not.
void AppendFixed(std::string& line, float value) {
  char digits[400];  // the widest finite float takes 39 digits before the point
  const auto result = std::to_chars(digits, digits + sizeof digits,
                                    static_cast<double>(value), std::chars_format::fixed, 6);
  line.append(digits, result.ptr);
}

}  // namespace

CarScore ScoreCar(const Vector& ball, const Vector& car, const Rotator& rotation,
                  float distanceWeight) {
  const float dx = ball.X - car.X;
  const float dy = ball.Y - car.Y;
  const float dz = ball.Z - car.Z;
  CarScore s{};
  s.distance = std::sqrt(dx * dx + dy * dy + dz * dz);
  s.distanceN = s.distance / kDistanceScale;

  const Vector facing = FacingVector(rotation);
  const float cosine = facing.X * (dx / s.distance) + facing.Y * (dy / s.distance) +
                       facing.Z * (dz / s.distance);
  s.angle = ArcCosine(cosine);
  s.angleN = s.angle / kPi;
  s.score = (1.0f - distanceWeight) * s.angleN + distanceWeight * s.distanceN;
  return s;
}

std::string ScoreLine(const CarScore& score) {
  std::string line = "Car Valid. Ang: ";
  AppendFixed(line, score.angle);
  line += " (";
  AppendFixed(line, score.angleN);
  line += ") Mag: ";
  AppendFixed(line, score.distance);
  line += " (";
  AppendFixed(line, score.distanceN);
  line += ")";
  return line;
}

}  // namespace vantorel
