#pragma once

#include <cstddef>
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

// Everything placed in the world, owned by its match's state. The wrappers
// the plugin holds carry the address of one of these (see Wrappers.cpp);
// `match` leads back to the match whose lock guards it, and is set before
// any wrapper sees the object.
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
// The match's state owns the local player's; the host makes one for the
// length of each press it runs.
struct SimController {
  Match* match = nullptr;
  SimCar* car = nullptr;
};

// One car of the match, owned by the match's state. `team` lives in `playerInfo` and the
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

// Whether a match guards its state with its lock.
enum class Locking {
  // For a host whose plugin callbacks may run on several threads at once:
  // every access to the state holds the lock, as a real engine guards its
  // state against a second thread.
  kLocked,
  // For a program that alone uses the match, from one thread, such as a
  // benchmark: no access takes the lock. The real host's wrapper calls are
  // plain reads of game memory; with a lock in every call, what a plugin
  // itself costs would vanish in what the host costs.
  kUnlocked,
};

// What a match holds: its car list (null entries stand for null cars), the
// local player's car and controller, the game in play, the ball, the camera,
// the canvas size and the server. Owns the cars and every object a wrapper
// points at. Made by its Match alone and reached only through that match's
// access (Match::Edit, Match::Read), which holds the lock while it lives.
class HOST_API MatchState {
 public:
  MatchState(const MatchState&) = delete;
  MatchState& operator=(const MatchState&) = delete;

  // Appends a car (never null) or a null entry to the car list.
  SimCar& AddCar(const std::string& owner);
  void AddNullCar();
  // The car at `index` leaves the match. Its entry turns null rather than
  // closing up, so that an index a plugin found earlier names no other car,
  // and FindCar goes on to the next car of that owner name. Returns the
  // car, for the caller to keep while a wrapper may still point at it; null
  // for an index past the end or a null entry.
  std::unique_ptr<SimCar> RemoveCar(std::size_t index);
  // The first car of that owner name, or null; as quick with a hundred
  // thousand cars as with two. Knows each car by the owner name it was
  // added with.
  SimCar* FindCar(const std::string& owner) const;
  // The car list in order; null entries are null pointers.
  const std::vector<std::unique_ptr<SimCar>>& cars() const { return cars_; }

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

 private:
  friend class Match;
  // Everything this state makes leads back to `match`.
  explicit MatchState(Match* match);

  Match* const match_;
  std::vector<std::unique_ptr<SimCar>> cars_;
  // The first car in list order under each owner name.
  std::unordered_map<std::string, SimCar*> firstByOwner_;
};

// One turn at a match's state: holds the match's lock, when its policy says
// so, from construction to destruction, and leads to the state meanwhile.
// Made by Match::Edit (State = MatchState) and Match::Read (State = const
// MatchState); lives on the caller's stack for a statement or a short block,
// and never across a call into the plugin, whose wrapper calls take the same
// lock. A temporary one lasts to the end of its full expression, so
// `host.Press(match.Read()->localCar)` would still hold it during the press:
// copy what is needed out first. Neither copied nor moved.
template <typename State>
class [[nodiscard]] MatchAccess {
 public:
  ~MatchAccess() {
    if (mutex_ != nullptr) mutex_->unlock();
  }
  MatchAccess(const MatchAccess&) = delete;
  MatchAccess& operator=(const MatchAccess&) = delete;

  State* operator->() const { return state_; }
  State& operator*() const { return *state_; }

 private:
  friend class Match;
  // `mutex` is null when the match takes no lock.
  MatchAccess(State& state, std::mutex* mutex) : state_(&state), mutex_(mutex) {
    if (mutex_ != nullptr) mutex_->lock();
  }

  State* const state_;
  std::mutex* const mutex_;
};

// The in-memory match the host answers every game query from: its state,
// the lock that guards it and the policy that says whether the lock is
// taken. Owns all three. Every reader and writer of the state, the wrapper
// calls the plugin makes included, goes through Edit or Read.
class HOST_API Match {
 public:
  explicit Match(Locking locking = Locking::kLocked);
  Match(const Match&) = delete;
  Match& operator=(const Match&) = delete;

  // The state, to change or to read, under the lock as the policy says.
  MatchAccess<MatchState> Edit() { return MatchAccess<MatchState>(state_, mutex()); }
  MatchAccess<const MatchState> Read() const {
    return MatchAccess<const MatchState>(state_, mutex());
  }

  // One step of motion, `dt` seconds long, through Edit: each car's
  // location (in list order, null entries skipped), then the ball's while
  // the match has one, moves by its velocity times dt, in 32-bit floats,
  // X then Y then Z, each `location + velocity * dt` rounded twice, never
  // fused. Nothing else changes: velocities, rotations and boost stay, and
  // a match without a ball keeps its ball where it was left.
  void Advance(float dt);

 private:
  // The lock an access takes: none for an unlocked match.
  std::mutex* mutex() const { return locked_ ? &mutex_ : nullptr; }

  MatchState state_;
  mutable std::mutex mutex_;
  // The policy as a flag: testing it in every wrapper call costs what
  // testing a bool costs.
  const bool locked_;
};

}  // namespace simhost
