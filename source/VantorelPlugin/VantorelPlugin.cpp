#include "VantorelPlugin.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "PluginExports.h"
#include "ServerWrapper.h"

using BakkesMod::Plugin::BakkesModPlugin;

namespace {

constexpr char kPickupEvent[] = "Function TAGame.PlayerController_TA.UsePickup";

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
    thePlugin = std::shared_ptr<BakkesModPlugin>(new VantorelPlugin());
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

// Registers one setting: searchable, bounded on both sides, saved.
CVarWrapper RegisterSetting(CVarManagerWrapper& console, const char* name,
                            const char* defaultValue, const char* description,
                            float min, float max) {
  return console.registerCvar(name, defaultValue, description, true, true, min,
                              true, max, true);
}

}  // namespace

void VantorelPlugin::onLoad() {
  CVarManagerWrapper& console = *cvarManager;

  enabled = std::make_shared<bool>(false);
  RegisterSetting(console, "vantorel_enable", "0",
                  "Enable car swapping when pressing L3", 0, 1)
      .bindTo(enabled);

  setVelocities = std::make_shared<bool>(true);
  setRotation = std::make_shared<bool>(true);
  setBoost = std::make_shared<bool>(true);
  RegisterSetting(console, "vantorel_set_velocities", "1",
                  "Set velocities on player swap", 0, 1)
      .bindTo(setVelocities);
  RegisterSetting(console, "vantorel_set_rotation", "1",
                  "Set rotations on player swap", 0, 1)
      .bindTo(setRotation);
  RegisterSetting(console, "vantorel_set_boost", "1", "Set boost on player swap", 0, 1)
      .bindTo(setBoost);

  lastSwapIndex.store(0, std::memory_order_relaxed);

  sequentialSwap = std::make_shared<bool>(false);
  distanceWeight = std::make_shared<float>(0.5f);
  RegisterSetting(console, "vantorel_sequential_swap", "0",
                  "If true, swap through the cars in order. If false, try to "
                  "automatically determine the best car to swap to.",
                  0, 1)
      .bindTo(sequentialSwap);
  RegisterSetting(console, "vantorel_swap_distanceweight", "0.5",
                  "How heavily distance to the ball weights the best car choice.", 0, 1)
      .bindTo(distanceWeight);

  renderEnabled = std::make_shared<bool>(false);
  renderSelected = std::make_shared<bool>(true);
  renderNext = std::make_shared<bool>(true);
  renderThickness = std::make_shared<int>(3);
  renderIconSize = std::make_shared<int>(12);
  renderIconHeight = std::make_shared<int>(15);
  RegisterSetting(console, "vantorel_render_enable", "0", "Enable rendering", 0, 1)
      .bindTo(renderEnabled);
  RegisterSetting(console, "vantorel_render_selected", "1",
                  "Render currently selected car", 0, 1)
      .bindTo(renderSelected);
  RegisterSetting(console, "vantorel_render_next", "1", "Render next car to switch to", 0, 1)
      .bindTo(renderNext);
  RegisterSetting(console, "vantorel_render_thickness", "3", "Render line thickness", 1, 5)
      .bindTo(renderThickness);
  RegisterSetting(console, "vantorel_render_iconsize", "12", "Render icon size", 5, 40)
      .bindTo(renderIconSize);
  // The icon height has always shared the icon size's description; saved
  // configurations and users' notes refer to it that way.
  RegisterSetting(console, "vantorel_render_iconheight", "15", "Render icon size", 0, 40)
      .bindTo(renderIconHeight);

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
