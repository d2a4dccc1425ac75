#pragma once

#include <cstdint>
#include <string>

#include "Vector.h"

namespace simhost {

// Receives, as they happen, the events of the host that a user can see: the
// console log, the host's own messages and the calls a plugin draws with.
// vantorel-sim prints them; tests record them. The default does nothing.
// The host only refers to its listener, which the host's creator owns and
// which must outlive the host. Calls arrive one at a time (under
// Console::listenerLock), though not always on the same thread.
class HostListener {
 public:
  virtual ~HostListener() = default;

  // One CVarManagerWrapper::log call, text exactly as logged.
  virtual void OnLog(const std::string& text) { (void)text; }
  // The host's own message: a refused console value, a skipped line of the
  // configuration file.
  virtual void OnHostMessage(const std::string& text) { (void)text; }
  // One CanvasWrapper::SetColor call.
  virtual void OnColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                       std::uint8_t alpha) {
    (void)red, (void)green, (void)blue, (void)alpha;
  }
  // One CanvasWrapper::DrawLine call.
  virtual void OnLine(Vector2 start, Vector2 end, float width) {
    (void)start, (void)end, (void)width;
  }
};

}  // namespace simhost
