#pragma once

#include <string>

#include "Vector.h"

namespace vantorel {

// How well placed a car is to take over from the player: the lower `score`,
// the better. A plain value, computed by ScoreCar; the parts besides `score`
// are kept for the console line that reports it.
//
// The same car must get the same bits on every compiler and C runtime, since
// the choice of car and every digit the console shows depend on them; the
// overlay's benchmark floor scores with this function for the same reason.
struct CarScore {
  float angle;      // between the car's facing and the ball, in radians
  float angleN;     // angle / pi
  float distance;   // to the ball, in game units
  float distanceN;  // distance / 10000
  float score;      // (1 - w) * angleN + w * distanceN
};

// Scores the car at `car`, facing `rotation`, against the ball at `ball`;
// `distanceWeight` (w) is how much the distance counts against the facing.
CarScore ScoreCar(const Vector& ball, const Vector& car, const Rotator& rotation,
                  float distanceWeight);

// The console line that reports a qualifying car's score:
// "Car Valid. Ang: A (A/pi) Mag: D (D/10000)", each number as "%f" prints it.
std::string ScoreLine(const CarScore& score);

}  // namespace vantorel
