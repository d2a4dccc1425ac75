#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "Settings.h"
#include "VantorelPlugin.h"

namespace vantorel_test {

// The plugin's settings table (Settings.h) looked up as tests, fuzz targets
// and benchmarks need it: by console name, by slot member, and for the value
// in a plugin's slot.

// The setting registered as `name`; null when the plugin has none.
inline const vantorel::Setting* FindSetting(const std::string& name) {
  for (const vantorel::Setting& setting : vantorel::kSettings) {
    if (name == setting.name) return &setting;
  }
  return nullptr;
}

// The console name of the setting whose value `member` holds; empty when no
// setting has that slot.
template <typename Value>
std::string NameOf(std::shared_ptr<Value> VantorelPlugin::*member) {
  for (const vantorel::Setting& setting : vantorel::kSettings) {
    const auto* slot = std::get_if<vantorel::SettingSlot<Value>>(&setting.slot);
    if (slot != nullptr && slot->member == member) return setting.name;
  }
  return std::string();
}

// The value `plugin` reads from the slot of `setting`, whatever the slot's
// type; none while the plugin holds no slot.
inline std::optional<double> SlotValue(const VantorelPlugin& plugin,
                                       const vantorel::Setting& setting) {
  return std::visit(
      [&plugin](const auto& slot) -> std::optional<double> {
        const auto& value = plugin.*slot.member;
        if (!value) return std::nullopt;
        return static_cast<double>(*value);
      },
      setting.slot);
}

}  // namespace vantorel_test
