#include "Callbacks.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace simhost {

void Callbacks::AddHook(int session, std::string eventName, Hook hook) {
  auto shared = std::make_shared<Hook>(std::move(hook));
  std::lock_guard<std::mutex> lock(mutex_);
  hooks_.push_back(HookEntry{session, std::move(eventName), std::move(shared)});
}

void Callbacks::RemoveHooks(int session, const std::string& eventName) {
  std::vector<HookEntry> removed;  // destroyed after the lock is let go
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto keep = std::stable_partition(hooks_.begin(), hooks_.end(), [&](const HookEntry& entry) {
      return !(entry.session == session && entry.eventName == eventName);
    });
    std::move(keep, hooks_.end(), std::back_inserter(removed));
    hooks_.erase(keep, hooks_.end());
  }
}

void Callbacks::AddDrawable(int session, Drawable drawable) {
  auto shared = std::make_shared<Drawable>(std::move(drawable));
  std::lock_guard<std::mutex> lock(mutex_);
  drawables_.push_back(DrawableEntry{session, std::move(shared)});
}

void Callbacks::RemoveDrawables(int session) {
  std::vector<DrawableEntry> removed;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto keep = std::stable_partition(drawables_.begin(), drawables_.end(),
                                      [&](const DrawableEntry& e) { return e.session != session; });
    std::move(keep, drawables_.end(), std::back_inserter(removed));
    drawables_.erase(keep, drawables_.end());
  }
}

void Callbacks::RemoveSession(int session) {
  std::vector<HookEntry> removedHooks;
  std::vector<DrawableEntry> removedDrawables;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto keepHooks =
        std::stable_partition(hooks_.begin(), hooks_.end(),
                              [&](const HookEntry& e) { return e.session != session; });
    std::move(keepHooks, hooks_.end(), std::back_inserter(removedHooks));
    hooks_.erase(keepHooks, hooks_.end());
    auto keepDrawables =
        std::stable_partition(drawables_.begin(), drawables_.end(),
                              [&](const DrawableEntry& e) { return e.session != session; });
    std::move(keepDrawables, drawables_.end(), std::back_inserter(removedDrawables));
    drawables_.erase(keepDrawables, drawables_.end());
  }
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
