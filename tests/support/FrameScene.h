#pragma once

#include <string>

#include "GameWrapper.h"
#include "simhost/Host.h"
#include "simhost/HostListener.h"
#include "simhost/Match.h"

namespace vantorel_test {

// How the plugin chooses the next car: its setting sequentialSwap off or on.
enum class Mode { kBestCar, kSequential };

const char* ModeName(Mode mode);

// A simulated match with the plugin module loaded and its overlay on, laid
// out so that every frame takes the overlay's whole path, from the game test
// to the three lines of the marker:
//
// - the camera stands behind the field looking along +X, and every car stands
//   in front of it, so that whichever car is chosen, its marker lands on the
//   canvas and is drawn;
// - car 0 is the local player's;
// - best-car mode: the other cars alternate between the local player's team
//   and the other, beginning with the local team, so about half of the list
//   is scored on every frame;
// - sequential mode: car 1 is the local player's only team-mate, and one
//   press at set-up chooses it, which leaves lastSwapIndex at 1. Each frame's
//   walk then starts at car 2 and visits every car of the list before it
//   comes back to car 1: N fetches for N cars, the longest walk there is.
//
// Unless the caller asks for a locked match, the match takes no lock
// (Locking::kUnlocked), so the host's wrapper calls take none: the real
// host's take none, and a lock in each call would cost more than the
// plugin's own work between the calls. Everything the host reports goes to a
// listener that drops it.
//
// The scene owns its host and that listener. The benchmarks time its frames;
// tests/alloc counts what they allocate.
class FrameScene {
 public:
  FrameScene(Mode mode, int cars, simhost::Locking locking = simhost::Locking::kUnlocked);
  FrameScene(const FrameScene&) = delete;
  FrameScene& operator=(const FrameScene&) = delete;

  // False when the plugin could not be loaded or the set-up failed; error()
  // says why.
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

  // One frame: Host::Frame, which calls every drawable.
  void Frame() { host_.Frame(); }
  // One press of the pickup button by the local player.
  void Press() { host_.Press(localCar_); }
  // Whether the last frame drew the marker: one colour and three lines.
  bool DrewMarker() const;

  // Sets a console variable as typed at the console.
  void Set(const std::string& name, const std::string& value);

  // Takes the plugin's drawable off the host and registers `drawable` through
  // the plugin's own GameWrapper instead, so that it runs in exactly the
  // place of the plugin's Render and sees the same match.
  void ReplaceDrawable(GameWrapper::Drawable drawable);
  // The plugin's GameWrapper: the host's game as the plugin sees it.
  GameWrapper& game();

  simhost::Host& host() { return host_; }

 private:
  // The camera, the ball and the cars as laid out above.
  void PlaceMatch(Mode mode, int cars);

  simhost::HostListener listener_;
  simhost::Host host_;
  simhost::SimCar* localCar_ = nullptr;
  std::string error_;
};

}  // namespace vantorel_test
