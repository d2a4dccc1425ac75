#pragma once

#include <functional>
#include <string>
#include <type_traits>
#include <utility>

#include "CameraWrapper.h"
#include "CanvasWrapper.h"
#include "HostExport.h"
#include "PlayerControllerWrapper.h"
#include "ServerWrapper.h"

// The host's record of one loaded plugin; opaque to the plugin.
class HostSession;

// The game as one plugin sees it: what is running, and the hooks and
// drawables through which the host calls the plugin back. The host creates
// one per loaded plugin; unhooking and unregistering remove that plugin's
// callbacks only.
//
// Threads. The host calls a plugin back from more than one thread:
// - A hook and a drawable may run at the same time, on different threads.
// - Drawables run one frame at a time: frames never overlap each other.
// - onLoad and onUnload never overlap a hook or a drawable.
// - The host writes the setting slots a plugin bound (CVarWrapper::bindTo)
//   between callbacks, never while a hook or a drawable runs.
// - From either callback a plugin may call the game's wrappers, the canvas
//   it was handed, CVarManagerWrapper::log, hook and unhook events, and
//   register and unregister drawables. Each call holds the host's guard
//   over the game for its own length only, so two calls in a row may see
//   the game change in between, done by a callback on another thread. No
//   host lock is held while a callback runs.
// - Registering console variables and binding slots belong in onLoad.
// - A hook or drawable removed while a press or frame is under way may still
//   be called once in it.
// So state that one callback writes and another reads, such as what a hook
// chose and a drawable shows, needs the plugin's own atomic or lock; the
// setting slots need neither.
class HOST_API GameWrapper {
 public:
  using CallerHook = std::function<void(PlayerControllerWrapper caller,
                                        void* params, std::string eventName)>;
  using Drawable = std::function<void(CanvasWrapper canvas)>;

  explicit GameWrapper(HostSession* session) : session_(session) {}

  // True while a game hosted on this machine runs.
  bool IsInGame() const;
  // True while an online game (not hosted here) runs.
  bool IsInOnlineGame() const;
  // The hosted game; null when none runs.
  ServerWrapper GetGameEventAsServer() const;
  // The online game; null when none runs.
  ServerWrapper GetOnlineGame() const;
  CameraWrapper GetCamera() const;

  // Calls `callback` after each run of the game function `eventName`, with
  // the object that ran it. Player controllers are the only callers the host
  // hands out.
  template <typename Caller>
  void HookEventWithCallerPost(std::string eventName,
                               std::function<void(Caller, void*, std::string)> callback) {
    static_assert(std::is_same_v<Caller, PlayerControllerWrapper>,
                  "the host calls hooks with player controllers only");
    HookPlayerControllerPost(std::move(eventName), std::move(callback));
  }
  void UnhookEvent(std::string eventName);

  // Calls `callback` once for every drawn frame.
  void RegisterDrawable(Drawable callback);
  void UnregisterDrawables();

 private:
  void HookPlayerControllerPost(std::string eventName, CallerHook callback);

  HostSession* session_;
};
