#pragma once

#include <memory>

#include "CVarManagerWrapper.h"
#include "GameWrapper.h"
#include "HostExport.h"

namespace BakkesMod {
namespace Plugin {

// The base of every plugin. The host creates a plugin through its module's
// getPlugin, fills both members, and calls onLoad; onUnload before it lets
// the plugin go. Neither overlaps a hook or a drawable (GameWrapper.h says
// which callbacks may run at once). The destructor is deliberately not
// virtual: the host only ever destroys a plugin through the shared pointer
// the plugin created, which knows the derived type.
//
// Every member is defined here, inline, so that each plugin module carries
// (and exports) its own copy of the class.
class PLUGIN_API BakkesModPlugin {
 public:
  PLUGIN_INLINE_API BakkesModPlugin() = default;
  PLUGIN_INLINE_API BakkesModPlugin(const BakkesModPlugin& other)
      : cvarManager(other.cvarManager), gameWrapper(other.gameWrapper) {}
  PLUGIN_INLINE_API BakkesModPlugin(BakkesModPlugin&& other) noexcept
      : cvarManager(std::move(other.cvarManager)),
        gameWrapper(std::move(other.gameWrapper)) {}
  PLUGIN_INLINE_API ~BakkesModPlugin() {}
  PLUGIN_INLINE_API BakkesModPlugin& operator=(const BakkesModPlugin& other) {
    cvarManager = other.cvarManager;
    gameWrapper = other.gameWrapper;
    return *this;
  }
  PLUGIN_INLINE_API BakkesModPlugin& operator=(
      BakkesModPlugin&& other) noexcept {
    cvarManager = std::move(other.cvarManager);
    gameWrapper = std::move(other.gameWrapper);
    return *this;
  }

  PLUGIN_INLINE_API virtual void onLoad() {}
  PLUGIN_INLINE_API virtual void onUnload() {}

  std::shared_ptr<CVarManagerWrapper> cvarManager;
  std::shared_ptr<GameWrapper> gameWrapper;
};

}  // namespace Plugin
}  // namespace BakkesMod
