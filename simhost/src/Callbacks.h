#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "GameWrapper.h"

namespace simhost {

// The hooks and drawables that plugin sessions registered, in registration
// order, each tagged with its session so that one plugin's unhooking leaves
// the others' alone. Owns the callbacks, each behind a shared pointer so
// that a snapshot keeps a callback alive while it runs. Guarded by its own
// lock, which is never held while a callback runs: callers take a snapshot
// and call it after letting go, so that a callback may register or remove
// callbacks itself. One per host.
class Callbacks {
 public:
  using Hook = GameWrapper::CallerHook;
  using Drawable = GameWrapper::Drawable;

  void AddHook(int session, std::string eventName, Hook hook);
  // Removes `session`'s hooks of `eventName`.
  void RemoveHooks(int session, const std::string& eventName);
  void AddDrawable(int session, Drawable drawable);
  void RemoveDrawables(int session);
  // Removes everything `session` registered.
  void RemoveSession(int session);

  // Replaces the contents of `out` with the hooks of `eventName` (or with
  // every drawable), in registration order. Reuses `out`'s capacity.
  void SnapshotHooks(const std::string& eventName, std::vector<std::shared_ptr<Hook>>& out) const;
  void SnapshotDrawables(std::vector<std::shared_ptr<Drawable>>& out) const;

  std::size_t hookCount() const;
  std::size_t drawableCount() const;

 private:
  struct HookEntry {
    int session;
    std::string eventName;
    std::shared_ptr<Hook> hook;
  };
  struct DrawableEntry {
    int session;
    std::shared_ptr<Drawable> drawable;
  };
  mutable std::mutex mutex_;
  std::vector<HookEntry> hooks_;
  std::vector<DrawableEntry> drawables_;
};

}  // namespace simhost
