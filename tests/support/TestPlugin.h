#pragma once

// A small plugin the host tests load through the real loader, and whose
// broken builds the plugin tests see refused. Its members are plain data, so
// that a test can read them through the host's plugin pointer without
// linking the module's code. Final, as VantorelPlugin is: the base class's
// destructor is not virtual, so nothing may derive from the class the
// module's holder deletes.

#include <atomic>
#include <cstdint>
#include <memory>

#include "BakkesModPlugin.h"

class TestPlugin final : public BakkesMod::Plugin::BakkesModPlugin {
 public:
  // Logs "test plugin loaded"; registers and binds test_enable (bool, 0..1,
  // default "0"), test_count (int, 0..10, default "4") and test_weight
  // (float, unbounded, default "0.25"); hooks the pickup function; registers
  // a drawable that sets the colour 1 2 3 4 and draws one line from (1,2)
  // to (3,4), width 5.
  void onLoad() override;
  // Unhooks and unregisters, unless `unhookOnUnload` is false.
  void onUnload() override;

  std::atomic<int> loads{0};
  std::atomic<int> unloads{0};
  std::atomic<int> presses{0};
  std::atomic<int> frames{0};
  // The car of the last press's controller (its wrapper address).
  std::atomic<std::uintptr_t> lastCar{0};
  bool unhookOnUnload = true;
  std::shared_ptr<bool> enable;
  std::shared_ptr<int> count;
  std::shared_ptr<float> weight;
};

// The build a test breaks at run time (TEST_PLUGIN_BREAKABLE), to see the
// host refuse what a faulty module hands it. It exports, beside the good
// module's record and functions, a BreakTestPluginFunction under
// kBreakTestPluginSymbol, which makes the module misbehave as its fault says
// from then on (kNone: as the good module), and the count of its deleteMe
// calls, an int, under kTestPluginDeletesSymbol. The record's faults change
// the record itself: a test breaks it only while no host holds the plugin.
enum class TestPluginFault {
  kNone,
  kNullHolder,   // getPlugin gives a null pointer
  kEmptyHolder,  // getPlugin gives a holder without a plugin
  kNoGetPlugin,  // the record lacks getPlugin
  kNoDeleteMe,   // the record lacks deleteMe
};
using BreakTestPluginFunction = void (*)(TestPluginFault fault);
constexpr char kBreakTestPluginSymbol[] = "breakTestPlugin";
constexpr char kTestPluginDeletesSymbol[] = "testPluginDeletes";
