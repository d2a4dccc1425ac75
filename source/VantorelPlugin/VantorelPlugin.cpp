#include "VantorelPlugin.h"

#include <charconv>
#include <memory>
#include <string>
#include <utility>

#include "GameEvents.h"
#include "PluginExports.h"

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

// Registers one setting, searchable, bounded on both sides and saved, with
// `defaultValue` as its default, and binds it to a fresh `slot`. The slot is
// replaced before it is bound, so that on a second load the host, finding
// itself the only holder of the earlier slot, lets that one go.
template <typename Value>
void AddSetting(CVarManagerWrapper& console, std::shared_ptr<Value>& slot, const char* name,
                Value defaultValue, const char* description, float min, float max) {
  slot = std::make_shared<Value>(defaultValue);
  console
      .registerCvar(name, ConsoleText(defaultValue), description, true, true, min, true, max,
                    true)
      .bindTo(slot);
}

}  // namespace

void VantorelPlugin::onLoad() {
  CVarManagerWrapper& console = *cvarManager;

  AddSetting(console, enabled, "vantorel_enable", false, "Enable car swapping when pressing L3",
             0, 1);
  AddSetting(console, setVelocities, "vantorel_set_velocities", true,
             "Set velocities on player swap", 0, 1);
  AddSetting(console, setRotation, "vantorel_set_rotation", true, "Set rotations on player swap",
             0, 1);
  AddSetting(console, setBoost, "vantorel_set_boost", true, "Set boost on player swap", 0, 1);

  lastSwapIndex.store(0, std::memory_order_relaxed);

  AddSetting(console, sequentialSwap, "vantorel_sequential_swap", false,
             "If true, swap through the cars in order. If false, try to "
             "automatically determine the best car to swap to.",
             0, 1);
  AddSetting(console, distanceWeight, "vantorel_swap_distanceweight", 0.5f,
             "How heavily distance to the ball weights the best car choice.", 0, 1);

  AddSetting(console, renderEnabled, "vantorel_render_enable", false, "Enable rendering", 0, 1);
  AddSetting(console, renderSelected, "vantorel_render_selected", true,
             "Render currently selected car", 0, 1);
  AddSetting(console, renderNext, "vantorel_render_next", true, "Render next car to switch to",
             0, 1);
  AddSetting(console, renderThickness, "vantorel_render_thickness", 3, "Render line thickness",
             1, 5);
  AddSetting(console, renderIconSize, "vantorel_render_iconsize", 12, "Render icon size", 5, 40);
  // The icon height has always shared the icon size's description; saved
  // configurations and users' notes refer to it that way.
  AddSetting(console, renderIconHeight, "vantorel_render_iconheight", 15, "Render icon size", 0,
             40);

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
