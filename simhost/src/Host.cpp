// The simulated host: loading and unloading the plugin module, and running
// its hooks and drawables.

#include "simhost/Host.h"

#include <exception>
#include <utility>

#include "Callbacks.h"
#include "GameEvents.h"
#include "PluginModule.h"
#include "Session.h"
#include "SimCanvas.h"
#include "WrapperAddress.h"

namespace simhost {

struct Host::Impl {
  Callbacks callbacks;
  // Every session a wrapper may still lead to, so that none dangles (see
  // UnloadPlugin); `session` is the loaded module's.
  std::vector<std::unique_ptr<HostSession>> sessions;
  HostSession* session = nullptr;
  int nextSessionId = 1;

  std::unique_ptr<PluginModule> module;
  std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* holder = nullptr;
  std::shared_ptr<CVarManagerWrapper> cvarManager;
  std::shared_ptr<GameWrapper> gameWrapper;

  SimCanvas canvas;
  // One frame at a time; guards lastFrame_ and the snapshot.
  std::mutex frameMutex;
  std::vector<std::shared_ptr<Callbacks::Drawable>> drawSnapshot;
};

Host::Host(HostListener& listener, Locking locking)
    : listener_(listener), match_(locking), console_(listener), impl_(std::make_unique<Impl>()) {
  impl_->canvas.match = &match_;
  impl_->canvas.frame = &lastFrame_;
  impl_->canvas.listener = &listener_;
  impl_->canvas.listenerLock = &console_.listenerLock();
}

Host::~Host() {
  try {
    UnloadPlugin();
  } catch (...) {
    // Out of memory in the plugin's onUnload: the module is unloaded all
    // the same, and a destructor has no one to tell.
  }
}

files::Status Host::LoadPlugin(const std::string& path) {
  Impl& impl = *impl_;
  // Loaded already: the module's factory again, in the same session.
  if (impl.module) return AttachPlugin(*impl.module);

  std::unique_ptr<PluginModule> module;
  const files::Status opened = PluginModule::Open(path, &module);
  if (!opened.ok()) return opened;
  const PluginInfo& record = module->record();
  if (!record.getPlugin || !record.deleteMe) {
    return files::Status::Error("plugin module " + path +
                                ": its record lacks getPlugin or deleteMe");
  }
  impl.module = std::move(module);
  const files::Status attached = AttachPlugin(*impl.module);
  if (!attached.ok()) {
    record.deleteMe();
    impl.module.reset();
  }
  return attached;
}

files::Status Host::AttachPlugin(const PluginModule& module) {
  Impl& impl = *impl_;
  auto* holder = module.record().getPlugin();
  if (!holder || !*holder) {
    return files::Status::Error("plugin module " + module.path() + ": getPlugin gave no plugin");
  }
  if (!impl.session) {
    impl.sessions.push_back(
        std::make_unique<HostSession>(impl.nextSessionId++, console_, match_, impl.callbacks));
    impl.session = impl.sessions.back().get();
    impl.cvarManager = std::make_shared<CVarManagerWrapper>(impl.session);
    impl.gameWrapper = std::make_shared<GameWrapper>(impl.session);
  }
  impl.holder = holder;
  (*holder)->cvarManager = impl.cvarManager;
  (*holder)->gameWrapper = impl.gameWrapper;
  (*holder)->onLoad();
  return files::Status::Ok();
}

void Host::UnloadPlugin() {
  Impl& impl = *impl_;
  if (!impl.module) return;
  std::exception_ptr failure;  // from onUnload, passed on at the end
  try {
    if (impl.holder && *impl.holder) (*impl.holder)->onUnload();
  } catch (...) {
    failure = std::current_exception();
  }
  impl.module->record().deleteMe();
  impl.holder = nullptr;
  // Everything whose code lives in the module goes before the module does:
  // the slots it bound (their deleters) and any callback it left registered.
  // A load that ran out of memory before its session was made bound nothing.
  if (impl.session != nullptr) EndSession();
  impl.module.reset();
  if (failure) std::rethrow_exception(failure);
}

void Host::EndSession() {
  Impl& impl = *impl_;
  const int session = impl.session->id;
  console_.ReleaseBindings(session);
  impl.callbacks.RemoveSession(session);
  impl.session->active.store(false);
  // With the plugin object gone, nobody but the host holds the session's two
  // wrappers, and nothing can reach the session any more: let it go, or a
  // host that loads and unloads all evening grows with every cycle. A
  // session whose wrappers someone kept stays, inactive, so they never dangle.
  const bool unreachable =
      impl.cvarManager.use_count() == 1 && impl.gameWrapper.use_count() == 1;
  impl.cvarManager.reset();
  impl.gameWrapper.reset();
  if (unreachable) {
    auto& sessions = impl.sessions;
    for (auto it = sessions.begin(); it != sessions.end(); ++it) {
      if (it->get() == impl.session) {
        sessions.erase(it);
        break;
      }
    }
  }
  impl.session = nullptr;
}

bool Host::pluginLoaded() const { return impl_->module != nullptr; }

const PluginInfo* Host::pluginRecord() const {
  return impl_->module ? &impl_->module->record() : nullptr;
}

BakkesMod::Plugin::BakkesModPlugin* Host::plugin() const {
  if (!impl_->module || !impl_->holder) return nullptr;
  return impl_->holder->get();
}

void Host::Press(SimCar* car) { RunHookedFunction(kPickupEvent, car); }

void Host::RunHookedFunction(const std::string& eventName, SimCar* car) {
  SimController controller;
  controller.match = &match_;
  controller.car = car;
  const PlayerControllerWrapper caller(AddressOf(&controller));

  std::vector<std::shared_ptr<Callbacks::Hook>> hooks;
  impl_->callbacks.SnapshotHooks(eventName, hooks);
  for (const auto& hook : hooks) (*hook)(caller, nullptr, eventName);
}

void Host::Frame() {
  Impl& impl = *impl_;
  std::lock_guard<std::mutex> lock(impl.frameMutex);
  lastFrame_.clear();  // keeps its capacity: a warm frame allocates nothing
  impl.callbacks.SnapshotDrawables(impl.drawSnapshot);
  const CanvasWrapper canvas(AddressOf(&impl.canvas));
  for (const auto& drawable : impl.drawSnapshot) (*drawable)(canvas);
  impl.drawSnapshot.clear();
}

std::size_t Host::hookCount() const { return impl_->callbacks.hookCount(); }

std::size_t Host::drawableCount() const { return impl_->callbacks.drawableCount(); }

}  // namespace simhost
