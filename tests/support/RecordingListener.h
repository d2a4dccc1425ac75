#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "simhost/Host.h"
#include "simhost/HostListener.h"

namespace vantorel_test {

using Lines = std::vector<std::string>;

// One drawing call as the host records it.
simhost::DrawCall ColorCall(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                            std::uint8_t alpha);
simhost::DrawCall LineCall(Vector2 start, Vector2 end, float width);

// What a host reported to its listener, for a test to look at: the console
// lines, the host's own messages and the drawing calls, each kept in order
// and counted. Owned by the test, which hands it to the host it builds.
//
// A test that runs for thousands of presses and frames turns `keep` off:
// then only the counts grow, so that the listener does not grow the heap the
// test measures. Host messages are kept all the same: in such a run every
// one of them is a fault to show.
//
// The host calls its listener one call at a time, from whichever thread
// pressed or drew.
class RecordingListener : public simhost::HostListener {
 public:
  void OnLog(const std::string& text) override {
    ++logCount;
    if (keep) logs.push_back(text);
    if (onLog) onLog(text);
  }
  void OnHostMessage(const std::string& text) override { messages.push_back(text); }
  void OnColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
               std::uint8_t alpha) override {
    if (keep) draws.push_back(ColorCall(red, green, blue, alpha));
  }
  void OnLine(Vector2 start, Vector2 end, float width) override {
    ++lineCount;
    if (keep) draws.push_back(LineCall(start, end, width));
  }

  // Forgets what was kept and counted.
  void Clear() {
    logs.clear();
    messages.clear();
    draws.clear();
    logCount = 0;
    lineCount = 0;
  }

  bool keep = true;
  Lines logs;
  Lines messages;
  std::vector<simhost::DrawCall> draws;
  long logCount = 0;
  long lineCount = 0;
  // Called after each console line is recorded: lets a test change the
  // match between two host calls of the plugin, or sort lines as they come.
  std::function<void(const std::string&)> onLog;
};

// Drawing calls as vantorel-sim prints them, one line each:
// "color R G B A" and "line X1,Y1 X2,Y2 WIDTH".
Lines Describe(const std::vector<simhost::DrawCall>& draws);

}  // namespace vantorel_test
