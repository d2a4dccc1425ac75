#include "Progress.h"

namespace vantorel_sim {

namespace {

// Often enough to see it move, seldom enough to cost nothing.
constexpr std::chrono::milliseconds kShowEvery{250};

// "M:SS", or "H:MM:SS" from an hour on.
std::string Duration(std::chrono::steady_clock::duration duration) {
  const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(duration).count();
  const auto twoDigits = [](long long n) { return (n < 10 ? "0" : "") + std::to_string(n); };
  const long long minutes = seconds / 60;
  const std::string text = ":" + twoDigits(seconds % 60);
  if (minutes < 60) return std::to_string(minutes) + text;
  return std::to_string(minutes / 60) + ":" + twoDigits(minutes % 60) + text;
}

}  // namespace

Progress::Progress(ProgramStreams& streams, long long totalFrames)
    : streams_(streams), shown_(streams.ErrorIsTerminal()), total_(totalFrames) {}

void Progress::Frame() {
  ++done_;
  if (!shown_) return;
  const Clock::time_point now = Clock::now();
  const bool last = done_ >= total_;
  if (!last && lineLength_ != 0 && now - lastShown_ < kShowEvery) return;
  lastShown_ = now;
  const Clock::duration elapsed = now - start_;
  if (last) {
    Show(std::to_string(done_) + " frames recorded in " + Duration(elapsed));
    End();
    return;
  }
  const Clock::duration left = elapsed / done_ * (total_ - done_);
  Show("frame " + std::to_string(done_) + " of " + std::to_string(total_) + " recorded, " +
       Duration(elapsed) + " elapsed, about " + Duration(left) + " left");
}

void Progress::End() {
  if (lineLength_ == 0) return;
  streams_.WriteError("\n");
  lineLength_ = 0;
}

void Progress::Show(const std::string& text) {
  std::string line = "\rvantorel-sim: " + text;
  // Blanks over what a longer line before left on the screen.
  const std::size_t length = line.size();
  if (length < lineLength_) line.append(lineLength_ - length, ' ');
  lineLength_ = length;
  streams_.WriteError(line);
}

}  // namespace vantorel_sim
