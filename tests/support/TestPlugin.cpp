// Built four times: as a good module, with interface version 72
// (TEST_PLUGIN_VERSION), without its record (TEST_PLUGIN_NO_EXPORTS), and as
// the module a test breaks (TEST_PLUGIN_BREAKABLE).

#include "TestPlugin.h"

#include <string>
#include <utility>

#include "CanvasWrapper.h"
#include "GameEvents.h"
#include "GameWrapper.h"
#include "PluginExports.h"

#ifndef TEST_PLUGIN_VERSION
#  define TEST_PLUGIN_VERSION 73
#endif

namespace {

std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> thePlugin;

#ifdef TEST_PLUGIN_BREAKABLE
TestPluginFault fault = TestPluginFault::kNone;
// What getPlugin gives for kEmptyHolder.
std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> noPlugin;
#endif

}  // namespace

void TestPlugin::onLoad() {
  ++loads;
  cvarManager->log("test plugin loaded");
  enable = std::make_shared<bool>(false);
  count = std::make_shared<int>(4);
  weight = std::make_shared<float>(0.25f);
  cvarManager->registerCvar("test_enable", "0", "Enable the test", true, true, 0, true, 1, true)
      .bindTo(enable);
  cvarManager->registerCvar("test_count", "4", "A count", true, true, 0, true, 10, true)
      .bindTo(count);
  cvarManager->registerCvar("test_weight", "0.25", "A weight", true, false, 0, false, 0, false)
      .bindTo(weight);
  gameWrapper->HookEventWithCallerPost<PlayerControllerWrapper>(
      kPickupEvent, [this](PlayerControllerWrapper caller, void*, std::string) {
        ++presses;
        lastCar = caller.GetCar().memory_address;
      });
  gameWrapper->RegisterDrawable([this](CanvasWrapper canvas) {
    ++frames;
    canvas.SetColor(1, 2, 3, 4);
    canvas.DrawLine(Vector2{1, 2}, Vector2{3, 4}, 5.0f);
  });
}

void TestPlugin::onUnload() {
  ++unloads;
  if (!unhookOnUnload) return;
  gameWrapper->UnhookEvent(kPickupEvent);
  gameWrapper->UnregisterDrawables();
}

extern "C" {

PLUGIN_API std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* getPlugin() {
#ifdef TEST_PLUGIN_BREAKABLE
  if (fault == TestPluginFault::kNullHolder) return nullptr;
  if (fault == TestPluginFault::kEmptyHolder) return &noPlugin;
#endif
  if (!thePlugin) thePlugin = std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>(new TestPlugin());
  return &thePlugin;
}

#ifdef TEST_PLUGIN_BREAKABLE
PLUGIN_API int testPluginDeletes = 0;
#endif

PLUGIN_API void deleteMe() {
#ifdef TEST_PLUGIN_BREAKABLE
  ++testPluginDeletes;
#endif
  std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> released = std::move(thePlugin);
}

#ifndef TEST_PLUGIN_NO_EXPORTS
PLUGIN_API PluginInfo exports = {
    TEST_PLUGIN_VERSION, __FILE__, "TestPlugin", "Test Plugin", "1.0", 1, &getPlugin, &deleteMe,
};
#endif

#ifdef TEST_PLUGIN_BREAKABLE
PLUGIN_API void breakTestPlugin(TestPluginFault newFault) {
  fault = newFault;
  exports.getPlugin = fault == TestPluginFault::kNoGetPlugin ? nullptr : &getPlugin;
  exports.deleteMe = fault == TestPluginFault::kNoDeleteMe ? nullptr : &deleteMe;
}
#endif

}  // extern "C"
