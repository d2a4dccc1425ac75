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
