#include "VantorelPlugin.h"

#include <charconv>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <variant>

#include "GameEvents.h"
#include "PluginExports.h"
#include "Settings.h"

using BakkesMod::Plugin::BakkesModPlugin;

namespace {

// The single plugin object of this module; empty until getPlugin and again
// after deleteMe. If the module leaves the process while it still holds the
// object, its destruction releases it.
std::shared_ptr<BakkesModPlugin> thePlugin;

}  // namespace

extern "C" {

PLUGIN_API std::shared_ptr<BakkesModPlugin>* getPlugin() {
  if (!thePlugin) {
    // Created as the derived type, so that the last release destroys it as a
    // VantorelPlugin although the base destructor is not virtual.
    thePlugin = std::make_shared<VantorelPlugin>();
  }
  return &thePlugin;
}

PLUGIN_API void deleteMe() {
  // Empty the holder first, then drop the reference it held: anyone looking
  // at the holder while the object is destroyed finds it empty.
  std::shared_ptr<BakkesModPlugin> released = std::move(thePlugin);
  released.reset();
}

// The record the host reads before anything else.
PLUGIN_API PluginInfo exports = {
    kPluginInterfaceVersion,   // interfaceVersion
    __FILE__,                  // fileName
    "VantorelPlugin",          // className
    "Zindar Switching Plugin", // pluginName
    "0.1",                     // pluginVersion
    1,                         // pluginType
    &getPlugin,
    &deleteMe,
};

}  // extern "C"

// ---------------------------------------------------------------------------
// Lifecycle and settings

namespace {

// A setting's default as the console shows and saves it: a switch as 0 or 1,
// a number as the shortest text that reads back as the same value.
std::string ConsoleText(bool value) { return value ? "1" : "0"; }
std::string ConsoleText(int value) { return std::to_string(value); }
std::string ConsoleText(float value) {
  char text[32];  // a float's shortest form takes at most 15 characters
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

// Registers `setting`, searchable and bounded on both sides, and binds it
// to a fresh slot holding its default. The slot is replaced before it is
// bound, so that on a second load the host, finding itself the only holder
// of the earlier slot, lets that one go.
void AddSetting(VantorelPlugin& plugin, CVarManagerWrapper& console,
                const vantorel::Setting& setting) {
  std::visit(
      [&](const auto& slot) {
        using Value = decltype(slot.defaultValue);
        std::shared_ptr<Value>& member = plugin.*slot.member;
        member = std::make_shared<Value>(slot.defaultValue);
        console
            .registerCvar(setting.name, ConsoleText(slot.defaultValue), setting.description,
                          true, true, setting.min, true, setting.max, setting.saved)
            .bindTo(member);
      },
      setting.slot);
}

}  // namespace

void VantorelPlugin::onLoad() {
  using vantorel::kSettings;
  CVarManagerWrapper& console = *cvarManager;
  const auto* const choiceSettings = std::begin(kSettings) + vantorel::kSwapSettings;
  for (auto s = std::begin(kSettings); s != choiceSettings; ++s) AddSetting(*this, console, *s);
  lastSwapIndex.store(0, std::memory_order_relaxed);
  for (auto s = choiceSettings; s != std::end(kSettings); ++s) AddSetting(*this, console, *s);

  gameWrapper->HookEventWithCallerPost<PlayerControllerWrapper>(
      kPickupEvent, [this](PlayerControllerWrapper caller, void* params, std::string eventName) {
        SwapCar(std::move(caller), params, std::move(eventName));
      });
  gameWrapper->RegisterDrawable([this](CanvasWrapper canvas) { Render(std::move(canvas)); });
}

void VantorelPlugin::onUnload() {
  gameWrapper->UnhookEvent(kPickupEvent);
  gameWrapper->UnregisterDrawables();
}
