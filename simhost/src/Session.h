#pragma once

// The host library's own bookkeeping behind the wrappers it hands a plugin:
// the plugin session, the registry of hooks and drawables, and the recording
// canvas. Not part of the library's public interface.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "simhost/Console.h"
#include "GameWrapper.h"
#include "simhost/Host.h"
#include "simhost/HostListener.h"
#include "simhost/Match.h"

namespace simhost {

// The hooks and drawables that plugin sessions registered, in registration
// order. Guarded by its own lock, which is never held while a callback runs:
// callers take a snapshot and call it after letting go.
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

// The object a CanvasWrapper points at while a frame is drawn: it records
// what the plugin draws and answers size and projection from the match.
struct SimCanvas {
  Match* match = nullptr;
  std::vector<DrawCall>* frame = nullptr;
  HostListener* listener = nullptr;
  // The console's listener lock (Console::listenerLock).
  std::mutex* listenerLock = nullptr;
};

template <typename T>
std::uintptr_t AddressOf(const T* object) {
  return reinterpret_cast<std::uintptr_t>(object);
}

}  // namespace simhost

// The host's record of one loaded plugin: what its CVarManagerWrapper and
// GameWrapper point at. A session stays alive as long as the host, so that a
// wrapper the plugin kept never dangles; once the plugin is unloaded it is
// inactive, and registrations through it are ignored.
class HostSession {
 public:
  // What a CVarWrapper handed to this session points at.
  struct CVarHandle {
    HostSession* session = nullptr;
    simhost::Variable* variable = nullptr;
  };

  HostSession(int id, simhost::Host& host, simhost::Console& console, simhost::Match& match,
              simhost::Callbacks& callbacks)
      : id(id), host(&host), console(&console), match(&match), callbacks(&callbacks) {}

  // The handle of `variable` for this session; one per variable.
  CVarHandle& HandleFor(simhost::Variable& variable);

  const int id;
  simhost::Host* const host;
  simhost::Console* const console;
  simhost::Match* const match;
  simhost::Callbacks* const callbacks;
  std::atomic<bool> active{true};

 private:
  std::mutex handlesMutex_;
  std::vector<std::unique_ptr<CVarHandle>> handles_;
};
