#pragma once

#include <cstddef>
#include <memory>
#include <variant>

#include "VantorelPlugin.h"

namespace vantorel {

// The member of VantorelPlugin that holds a setting's value, and the value
// onLoad puts into it.
template <typename Value>
struct SettingSlot {
  std::shared_ptr<Value> VantorelPlugin::*member;
  Value defaultValue;
};

// One console variable of the plugin. Bounds are floats whatever the slot's
// type, as the host takes them.
struct Setting {
  const char* name;
  std::variant<SettingSlot<bool>, SettingSlot<int>, SettingSlot<float>> slot;
  const char* description;
  float min;
  float max;
  bool saved;  // to the host's configuration file
};

// The plugin's console variables, each described here and nowhere else, in
// the order onLoad registers them. The tests, the fuzz targets and the
// benchmarks read them from here too.
inline constexpr Setting kSettings[] = {
    {"vantorel_enable", SettingSlot<bool>{&VantorelPlugin::enabled, false},
     "Enable car swapping when pressing L3", 0, 1, true},
    {"vantorel_set_velocities", SettingSlot<bool>{&VantorelPlugin::setVelocities, true},
     "Set velocities on player swap", 0, 1, true},
    {"vantorel_set_rotation", SettingSlot<bool>{&VantorelPlugin::setRotation, true},
     "Set rotations on player swap", 0, 1, true},
    {"vantorel_set_boost", SettingSlot<bool>{&VantorelPlugin::setBoost, true},
     "Set boost on player swap", 0, 1, true},
    {"vantorel_sequential_swap", SettingSlot<bool>{&VantorelPlugin::sequentialSwap, false},
     "If true, swap through the cars in order. If false, try to "
     "automatically determine the best car to swap to.",
     0, 1, true},
    {"vantorel_swap_distanceweight", SettingSlot<float>{&VantorelPlugin::distanceWeight, 0.5f},
     "How heavily distance to the ball weights the best car choice.", 0, 1, true},
    {"vantorel_render_enable", SettingSlot<bool>{&VantorelPlugin::renderEnabled, false},
     "Enable rendering", 0, 1, true},
    {"vantorel_render_selected", SettingSlot<bool>{&VantorelPlugin::renderSelected, true},
     "Render currently selected car", 0, 1, true},
    {"vantorel_render_next", SettingSlot<bool>{&VantorelPlugin::renderNext, true},
     "Render next car to switch to", 0, 1, true},
    {"vantorel_render_thickness", SettingSlot<int>{&VantorelPlugin::renderThickness, 3},
     "Render line thickness", 1, 5, true},
    {"vantorel_render_iconsize", SettingSlot<int>{&VantorelPlugin::renderIconSize, 12},
     "Render icon size", 5, 40, true},
    // The icon height has always shared the icon size's description; saved
    // configurations and users' notes refer to it that way.
    {"vantorel_render_iconheight", SettingSlot<int>{&VantorelPlugin::renderIconHeight, 15},
     "Render icon size", 0, 40, true},
};

// How many settings at the head of kSettings govern the swap itself: whether
// it runs and what it exchanges. onLoad resets lastSwapIndex after them and
// before the settings of the choice of car and of the overlay, an order it
// has always kept.
inline constexpr std::size_t kSwapSettings = 4;
static_assert(std::get<SettingSlot<bool>>(kSettings[kSwapSettings].slot).member ==
                  &VantorelPlugin::sequentialSwap,
              "the settings of the choice of car begin after kSwapSettings");

}  // namespace vantorel
