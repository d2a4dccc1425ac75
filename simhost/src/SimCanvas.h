#pragma once

#include <mutex>
#include <vector>

#include "simhost/DrawCall.h"
#include "simhost/HostListener.h"
#include "simhost/Match.h"

namespace simhost {

// The object a CanvasWrapper points at while a frame is drawn: it records
// what the plugin draws and answers size and projection from the match.
// Owned by the host, one for its lifetime; it owns nothing and points at
// the host's match, last frame, listener and listener lock.
struct SimCanvas {
  Match* match = nullptr;
  std::vector<DrawCall>* frame = nullptr;
  HostListener* listener = nullptr;
  // The console's listener lock (Console::listenerLock).
  std::mutex* listenerLock = nullptr;
};

}  // namespace simhost
