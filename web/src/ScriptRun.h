#pragma once

// Scripts as the page plays them: a run of vantorel-sim itself, and the
// frames of a script recorded one by one for the page to show.

#include <cstddef>
#include <string>
#include <vector>

#include "Picture.h"

namespace vantorel_web {

// What a run of vantorel-sim gave: standard output, standard error and the
// exit status.
struct ProgramResult {
  std::string out;
  std::string err;
  int code = 0;
};

// Runs vantorel-sim, with no options, on the script `text` saved as the file
// `name` in a folder of its own, which is the current folder meanwhile; a
// bad line is reported as NAME:LINE. `name` is a plain file name.
ProgramResult PlayScript(const std::string& name, const std::string& text);

// One drawn frame of a script, and the time it stands for: motion's step,
// or 1/60 s without motion.
struct RecordedFrame {
  float seconds = 0.0f;
  vantorel_sim::Scene scene;
};

// The frames a script draws, played as vantorel-sim plays it, up to
// `maxFrames` of them; a script that draws none gives the match as it stands
// at its end, as --picture shows it. Playing stops at the first line that
// does not play; vantorel-sim would have refused the whole script, which
// PlayScript says.
std::vector<RecordedFrame> RecordFrames(const std::string& text, std::size_t maxFrames);

}  // namespace vantorel_web
