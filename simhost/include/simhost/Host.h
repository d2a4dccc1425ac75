#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BakkesModPlugin.h"
#include "GameWrapper.h"
#include "HostExport.h"
#include "PluginExports.h"
#include "files/Status.h"
#include "simhost/Console.h"
#include "simhost/DrawCall.h"
#include "simhost/HostListener.h"
#include "simhost/Match.h"

namespace simhost {

class PluginModule;

// The simulated host: one match, one console, the hooks and drawables that
// plugins registered, and at most one loaded plugin module. Owns all of it.
// The listener must outlive the host.
//
// Threads: Press/RunHookedFunction and Frame may run on different threads at
// once (wrapper calls take the match's lock; no host lock is held while a
// plugin callback runs; frames are serialised among themselves), unless the
// host was made with Locking::kUnlocked, for a program that alone uses it
// from one thread. Loading,
// unloading and the console's Register/Set/Bind/LoadConfig/SaveConfig run on
// one thread, while no press or frame runs. host/GameWrapper.h states what
// this means for a plugin.
//
// Refusal messages of LoadPlugin, each naming the module's path:
//   cannot open plugin module PATH: SYSTEM MESSAGE (dlerror / FormatMessage)
//   cannot open plugin module PATH: it is a directory
//   plugin module PATH is not a complete MACHINE ELF|PE module: WHAT IS WRONG
//   plugin module PATH has no exported record "exports"
//   plugin module PATH carries plugin interface version N; this host loads version 73
//   plugin module PATH: its record lacks getPlugin or deleteMe
//   plugin module PATH: getPlugin gave no plugin
class HOST_API Host {
 public:
  // `locking` is the match's policy (see Locking).
  explicit Host(HostListener& listener, Locking locking = Locking::kLocked);
  ~Host();  // unloads a loaded plugin; a failure then (out of memory) goes unsaid
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  Match& match() { return match_; }
  Console& console() { return console_; }

  // Loads the module at `path` as the real host does: open it, read its
  // record, check the interface version, getPlugin, fill cvarManager and
  // gameWrapper, onLoad. When a module is loaded already, calls its
  // getPlugin again, fills the members and runs onLoad again, in the same
  // session (`path` is then not looked at). Fails when the module is
  // refused.
  files::Status LoadPlugin(const std::string& path);
  // onUnload, deleteMe, lets go of the module's slots and of any hook or
  // drawable it left registered, closes the module. The variables stay
  // registered with their values. Does nothing when no module is loaded.
  // An exception from onUnload (out of memory) is passed on once the module
  // is unloaded all the same.
  void UnloadPlugin();
  bool pluginLoaded() const;
  // The loaded module's record and plugin object; null when none is loaded.
  const PluginInfo* pluginRecord() const;
  BakkesMod::Plugin::BakkesModPlugin* plugin() const;

  // The pickup function runs for `car`'s controller (null: a controller
  // without a car); every post hook of it is called.
  void Press(SimCar* car);
  // Runs every post hook registered for `eventName` with that caller.
  void RunHookedFunction(const std::string& eventName, SimCar* car);
  // One drawn frame: every drawable is called with the canvas. The calls it
  // drew are kept until the next frame.
  void Frame();
  const std::vector<DrawCall>& lastFrame() const { return lastFrame_; }

  // Counts of what plugins registered, for tests.
  std::size_t hookCount() const;
  std::size_t drawableCount() const;

 private:
  // How a load attaches the plugin of `module`, the first time and again:
  // getPlugin, then the plugin's cvarManager and gameWrapper (those of the
  // module's session, made on its first load), then onLoad. Fails when
  // getPlugin gives no plugin.
  files::Status AttachPlugin(const PluginModule& module);
  // How an unload lets go of the loaded module's session: its bindings and
  // callbacks, and the session itself once nothing can reach it.
  void EndSession();

  // ... implementation state: sessions, hooks, drawables, the module.
  struct Impl;
  HostListener& listener_;
  Match match_;
  Console console_;
  std::vector<DrawCall> lastFrame_;
  std::unique_ptr<Impl> impl_;
};

}  // namespace simhost
