#pragma once

#include <functional>
#include <limits>
#include <optional>
#include <string>

#include "Command.h"
#include "Transcript.h"
#include "files/Status.h"
#include "simhost/Host.h"

namespace vantorel_sim {

// Plays script commands, one at a time, on a simulated host and reports
// them in the transcript. Keeps what the match model does not: whether
// motion is on, and the count of frames drawn. Checks what only the state
// of the match can tell: that a car name is new or known, that a console
// variable is registered and given one value. A `plugin load` while the
// plugin is loaded is refused with a [host] line, as a host does (a second
// onLoad would hook and draw twice), and so is a `plugin unload` while none
// is. Borrows the host and the transcript,
// which must outlive it.
class ScriptPlayer {
 public:
  enum class Outcome {
    kPlayed,   // the command ran
    kBadLine,  // the command names a car or variable that is not there, or gives
               // a variable no value or several; nothing ran
    kFailed,   // the host refused the command (the plugin module would not load)
  };
  // What playing a command came to, and why when it did not run.
  struct Result {
    Outcome outcome = Outcome::kPlayed;
    files::Status status;
  };

  // Sets up the host's match as a script starts it: the ball at 0,0,93.
  ScriptPlayer(simhost::Host& host, Transcript& transcript, std::string pluginPath);

  Result Play(const Command& command);

  // Called after each `frame` command that drew a frame, while the match
  // still looks as its last frame saw it.
  void SetFrameObserver(std::function<void()> observer) { frameObserver_ = std::move(observer); }
  // Called after every drawn frame, with the time the frame stands for.
  void SetEachFrameObserver(std::function<void(float seconds)> observer) {
    eachFrameObserver_ = std::move(observer);
  }

  // Frames after the first `frames` of the run are counted but not drawn:
  // no motion, no [frame] line, no drawables, no each-frame observer. A
  // rehearsal that has seen enough frames to refuse the run needs only
  // their count, and a script may ask for billions.
  void StopDrawingAfter(long long frames) { drawingLimit_ = frames; }

  // The frames the script has asked for so far, drawn or only counted.
  long long framesDrawn() const { return framesDrawn_; }
  // The time a frame drawn now stands for: motion's step while motion is
  // on, else kFrameSeconds.
  float frameSeconds() const { return motionStep_ ? *motionStep_ : kFrameSeconds; }

 private:
  // Apply plays one kind of command.
  Result Apply(const command::Game& game);
  Result Apply(const command::Server& server);
  Result Apply(const command::Canvas& canvas);
  Result Apply(const command::Camera& camera);
  Result Apply(const command::Ball& ball);
  Result Apply(const command::Car& car);
  Result Apply(const command::Set& set);
  Result Apply(const command::NullCar&);
  Result Apply(const command::Local& local);
  Result Apply(const command::PluginLoad&);
  Result Apply(const command::PluginUnload&);
  Result Apply(const command::Variable& variable);
  Result Apply(const command::Press& press);
  Result Apply(const command::Frame& frame);
  Result Apply(const command::Motion& motion);
  Result Apply(const command::ShowCars&);
  Result Apply(const command::ShowVariables&);

  // Finds the car a command names; a bad line when there is none.
  Result FindCar(const std::string& name, simhost::SimCar** car);
  // Makes `car` (null: none) the local player's, in the match being edited.
  void MakeLocal(simhost::MatchState& match, simhost::SimCar* car);

  simhost::Host& host_;
  Transcript& transcript_;
  std::string pluginPath_;
  std::function<void()> frameObserver_;
  std::function<void(float)> eachFrameObserver_;
  long long framesDrawn_ = 0;
  long long drawingLimit_ = std::numeric_limits<long long>::max();
  // While motion is on, each frame first moves the match by this many
  // seconds.
  std::optional<float> motionStep_;
};

}  // namespace vantorel_sim
