#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "Settings.h"

namespace vantorel_test {

// The console name of the setting kept in `member`; empty when there is none.
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
      [&plugin](const auto& slot) {
        const auto& value = plugin.*slot.member;
        return value ? std::optional<double>(*value) : std::nullopt;
      },
      setting.slot);
}

}  // namespace vantorel_test
