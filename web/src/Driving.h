#pragma once

// Free play on the page: what moves the match between two frames. The rules
// only set velocities and rotations; the host's own motion step
// (simhost::Match::Advance) then moves every car and the ball, as
// `motion on` does in a script. They are simple and deterministic: the same
// keys on the same match give the same frames.

#include "simhost/Match.h"

namespace vantorel_web {

// The field, in game units: cars and ball stay within |X| <= kHalfWidth and
// |Y| <= kHalfLength. The goals lie at either end of Y, team 0's at -Y.
constexpr float kHalfWidth = 4096.0f;
constexpr float kHalfLength = 5120.0f;

// What the keys ask of the local player's car, each -1, 0 or 1.
struct Controls {
  int throttle = 0;  // 1 forward, -1 back
  int steer = 0;     // 1 to the car's right
};

// Sets up a step of `dt` seconds:
// - the local player's car accelerates, brakes and turns as `controls` say,
//   and coasts to a stop without them;
// - every other car keeps to a rule chosen by its place in the list: the
//   odd places chase the ball, the even ones hold a place in their team's
//   half and turn to face the ball there;
// - the ball slows as it rolls, bounces off the walls, and is struck away by
//   a car that reaches it;
// - no car drives through a wall.
void SteerMatch(simhost::MatchState& match, Controls controls, float dt);

}  // namespace vantorel_web
