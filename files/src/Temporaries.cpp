// The files this module has written beside their targets and not yet put
// in place or removed, where an interruption handler can find them
// (Interruption.h): a fixed table of paths in static storage. A handler
// reads it without allocating or locking; a slot is taken and let go with
// atomic operations, so that saves on several threads at once each keep
// their own. A path longer than a slot, or one more than the table holds,
// is not kept: its file is still removed when the run goes on, but not
// when it is interrupted.

#include <atomic>
#include <cstring>

#include "SystemFiles.h"

namespace files {
namespace internal {

namespace {

enum SlotState : int { kFree, kWriting, kHeld };

struct Slot {
  std::atomic<int> state{kFree};
  char path[4096];
};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler reads the table");

// More than a run ever writes at once: a configuration file, a picture
// and an animation.
Slot slots[32];

}  // namespace

void RememberTemporary(const std::string& path) {
  for (Slot& slot : slots) {
    int expected = kFree;
    if (path.size() < sizeof slot.path && slot.state.compare_exchange_strong(expected, kWriting)) {
      std::memcpy(slot.path, path.c_str(), path.size() + 1);
      slot.state.store(kHeld);
      return;
    }
  }
}

void ForgetTemporary(const std::string& path) {
  for (Slot& slot : slots) {
    if (slot.state.load() == kHeld && path == slot.path) {
      slot.state.store(kFree);
      return;
    }
  }
}

void RemoveRememberedTemporaries(void (*remove)(const char* path)) {
  for (Slot& slot : slots) {
    if (slot.state.load() == kHeld) remove(slot.path);
  }
}

}  // namespace internal
}  // namespace files
