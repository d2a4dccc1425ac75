#include "Callbacks.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace simhost {

namespace {

// Moves the entries that `matches` out of `entries`, keeping the order of
// the rest. Callers hold what it returns in a variable declared before
// their lock guard, so that it is destroyed after the lock is let go: a
// callback's destructor is plugin code, which may call back into the host.
template <typename Entry, typename Predicate>
std::vector<Entry> TakeOut(std::vector<Entry>& entries, Predicate matches) {
  const auto kept = std::stable_partition(entries.begin(), entries.end(),
                                          [&](const Entry& entry) { return !matches(entry); });
  std::vector<Entry> removed(std::make_move_iterator(kept), std::make_move_iterator(entries.end()));
  entries.erase(kept, entries.end());
  return removed;
}

}  // namespace

void Callbacks::AddHook(int session, std::string eventName, Hook hook) {
  auto shared = std::make_shared<Hook>(std::move(hook));
  std::lock_guard<std::mutex> lock(mutex_);
  hooks_.push_back(HookEntry{session, std::move(eventName), std::move(shared)});
}

void Callbacks::RemoveHooks(int session, const std::string& eventName) {
  std::vector<HookEntry> removed;
  std::lock_guard<std::mutex> lock(mutex_);
  removed = TakeOut(hooks_, [&](const HookEntry& entry) {
    return entry.session == session && entry.eventName == eventName;
  });
}

void Callbacks::AddDrawable(int session, Drawable drawable) {
  auto shared = std::make_shared<Drawable>(std::move(drawable));
  std::lock_guard<std::mutex> lock(mutex_);
  drawables_.push_back(DrawableEntry{session, std::move(shared)});
}

void Callbacks::RemoveDrawables(int session) {
  std::vector<DrawableEntry> removed;
  std::lock_guard<std::mutex> lock(mutex_);
  removed = TakeOut(drawables_, [&](const DrawableEntry& entry) { return entry.session == session; });
}

void Callbacks::RemoveSession(int session) {
  std::vector<HookEntry> removedHooks;
  std::vector<DrawableEntry> removedDrawables;
  std::lock_guard<std::mutex> lock(mutex_);
  removedHooks = TakeOut(hooks_, [&](const HookEntry& entry) { return entry.session == session; });
  removedDrawables =
      TakeOut(drawables_, [&](const DrawableEntry& entry) { return entry.session == session; });
}

void Callbacks::SnapshotHooks(const std::string& eventName,
                              std::vector<std::shared_ptr<Hook>>& out) const {
  out.clear();
  std::lock_guard<std::mutex> lock(mutex_);
  for (const HookEntry& entry : hooks_) {
    if (entry.eventName == eventName) out.push_back(entry.hook);
  }
}

void Callbacks::SnapshotDrawables(std::vector<std::shared_ptr<Drawable>>& out) const {
  out.clear();
  std::lock_guard<std::mutex> lock(mutex_);
  for (const DrawableEntry& entry : drawables_) out.push_back(entry.drawable);
}

std::size_t Callbacks::hookCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return hooks_.size();
}

std::size_t Callbacks::drawableCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return drawables_.size();
}

}  // namespace simhost
