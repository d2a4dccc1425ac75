#pragma once

// How far a long recording has got, for the person waiting on it.

#include <chrono>
#include <cstddef>
#include <string>

#include "Program.h"

namespace vantorel_sim {

// The progress of an animation's frames, on standard error when it is a
// terminal: one line, rewritten in place a few times a second ("frame K of
// N recorded, M:SS elapsed, about M:SS left"), ended by a line feed after
// the last frame or when the run stops early. Prints nothing when standard
// error is not a terminal, so that logs and pipes get only messages.
// Borrows the streams, which must outlive it.
class Progress {
 public:
  Progress(ProgramStreams& streams, long long totalFrames);
  ~Progress() { End(); }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // One more frame recorded.
  void Frame();
  // Ends the line, if one is showing, so that what follows starts a line
  // of its own.
  void End();

 private:
  using Clock = std::chrono::steady_clock;

  void Show(const std::string& text);

  ProgramStreams& streams_;
  const bool shown_;  // whether standard error is a terminal
  const long long total_;
  long long done_ = 0;
  Clock::time_point start_ = Clock::now();
  Clock::time_point lastShown_;
  std::size_t lineLength_ = 0;  // of the line showing; 0: none
};

}  // namespace vantorel_sim
