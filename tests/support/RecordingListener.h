#pragma once

#include <string>
#include <vector>

#include "simhost/Host.h"
#include "simhost/HostListener.h"

// Keeps every event the host reports, for tests to look at.
class RecordingListener : public simhost::HostListener {
 public:
  void OnLog(const std::string& text) override { logs.push_back(text); }
  void OnHostMessage(const std::string& text) override { messages.push_back(text); }
  void OnColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
               std::uint8_t alpha) override {
    simhost::DrawCall call;
    call.kind = simhost::DrawCall::Kind::kColor;
    call.color[0] = red;
    call.color[1] = green;
    call.color[2] = blue;
    call.color[3] = alpha;
    draws.push_back(call);
  }
  void OnLine(Vector2 start, Vector2 end, float width) override {
    simhost::DrawCall call;
    call.kind = simhost::DrawCall::Kind::kLine;
    call.start = start;
    call.end = end;
    call.width = width;
    draws.push_back(call);
  }

  void Clear() {
    logs.clear();
    messages.clear();
    draws.clear();
  }

  std::vector<std::string> logs;
  std::vector<std::string> messages;
  std::vector<simhost::DrawCall> draws;
};
