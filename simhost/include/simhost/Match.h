#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "HostExport.h"
#include "Vector.h"

namespace simhost {

class Match;

// Everything placed in the world, owned by its match. The wrappers the
// plugin holds carry the address of one of these (see Wrappers.cpp); `match`
// leads back to the lock that guards it.
struct SimActor {
  Match* match = nullptr;
  Vector location;
  Vector velocity;
  Vector angularVelocity;
  Rotator rotation;
};

// A car's boost component, part of the car.
struct SimBoost : SimActor {
  float amount = 0.0f;
};

// A car driver's player information, part of the car.
struct SimPlayerInfo {
  Match* match = nullptr;
  std::uint8_t team = 0;
};

struct SimCar;

// The controller a press comes from: the local player's, or a car's own.
// The match owns the local player's; the host makes one for the length of
// each press it runs.
struct SimController {
  Match* match = nullptr;
  SimCar* car = nullptr;
};

// One car of the match, which owns it. `team` lives in `playerInfo` and the
// boost amount in `boostComponent`, because those are the objects the
// wrappers point at; the `has...` flags say whether the car hands them out
// at all.
struct SimCar : SimActor {
  std::string owner;
  SimPlayerInfo playerInfo;
  bool hasPlayerInfo = true;
  SimBoost boostComponent;
  bool hasBoostComponent = true;
  // Where Project puts this car's exact location, when set.
  std::optional<Vector2> screenPoint;
};

struct SimBall : SimActor {};

struct SimCamera : SimActor {
  float fieldOfView = 90.0f;  // horizontal, in degrees
};

enum class GameMode { kHosted, kOnline, kNone };

// The game event a server wrapper points at: the match itself.
struct SimServer : SimActor {};

// The in-memory match the host answers every game query from. It owns its
// cars (null entries stand for null cars in the list), ball, camera and
// canvas size. Wrapper calls take `lock()` for their duration, as a real
// engine guards its state against a second thread; code that changes the
// match while plugin callbacks may run on other threads takes it too.
class HOST_API Match {
 public:
  Match();
  Match(const Match&) = delete;
  Match& operator=(const Match&) = delete;

  // Appends a car (never null) or a null entry to the car list.
  SimCar& AddCar(const std::string& owner);
  void AddNullCar();
  // The first car of that owner name, or null; as quick with a hundred
  // thousand cars as with two. Knows each car by the owner name it was
  // added with.
  SimCar* FindCar(const std::string& owner);
  // The car list in order; null entries are null pointers.
  const std::vector<std::unique_ptr<SimCar>>& cars() const { return cars_; }

  // One step of motion, `dt` seconds long, under the lock: each car's
  // location (in list order, null entries skipped), then the ball's while
  // the match has one, moves by its velocity times dt, in 32-bit floats,
  // X then Y then Z, each `location + velocity * dt` rounded twice, never
  // fused. Nothing else changes: velocities, rotations and boost stay, and
  // a match without a ball keeps its ball where it was left.
  void Advance(float dt);

  // The local player's car (may be null).
  SimCar* localCar = nullptr;
  // A controller driving the local car: the caller of a press without a name.
  SimController localController;

  GameMode mode = GameMode::kHosted;
  // When set, whichever server getter would answer gives a null server.
  bool serverNull = false;

  bool hasBall = true;
  SimBall ball;
  bool hasCamera = true;
  SimCamera camera;
  Vector2 canvasSize{1920, 1080};

  SimServer server;

  std::mutex& lock() const { return lock_; }
  // Set by a program that alone uses this match, from one thread, such as a
  // benchmark: wrapper calls then take no lock. The real host's wrapper calls
  // are plain reads of game memory; with a lock in every call, what a plugin
  // itself costs would vanish in what the host costs.
  bool singleThreaded = false;

 private:
  std::vector<std::unique_ptr<SimCar>> cars_;
  // The first car added under each owner name.
  std::unordered_map<std::string, SimCar*> firstByOwner_;
  mutable std::mutex lock_;
};

}  // namespace simhost
