// The host loads, reloads, unloads and deletes the plugin for as long as the
// game runs; a user toggling the plugin in the host's window does it dozens
// of times an evening. Each cycle must give back everything it took: the
// module, the plugin object, the hooks and drawables, and the slots the
// host shares with the plugin.

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "HeapInUse.h"
#include "HostFixture.h"

namespace vantorel_test {
namespace {

std::size_t MostBindings(const simhost::Console& console) {
  std::size_t most = 0;
  for (const auto& variable : console.variables()) {
    if (variable->bindings.size() > most) most = variable->bindings.size();
  }
  return most;
}

using LifecycleStress = HostFixture;

TEST_F(LifecycleStress, LoadUnloadAndDeleteCyclesGiveEverythingBack) {
  // Counts the plugin's console lines and drawn lines only, so that a cycle
  // can show that its press and frame reached the plugin without the
  // listener growing the heap the test measures.
  listener_.keep = false;
  AddLocal("player", 0);
  AddCar("mate", 0, {1000.0f, 0.0f, 17.0f}).screenPoint = Vector2{960, 540};

  const int cycles = VANTOREL_STRESS_CYCLES;
  const int warmCycles = cycles < 100 ? cycles / 2 : 100;
  std::size_t warmHeap = 0;
  for (int cycle = 0; cycle < cycles; ++cycle) {
    SCOPED_TRACE("cycle " + std::to_string(cycle));
    ASSERT_NO_FATAL_FAILURE(Load());
    if (cycle == 0) {
      // Settings outlive the module: the next cycles start with them set.
      ASSERT_NO_FATAL_FAILURE(Set("vantorel_enable", "1"));
      ASSERT_NO_FATAL_FAILURE(Set("vantorel_render_enable", "1"));
    }
    if (cycle % 2 == 1) {
      // Loading a loaded module runs onLoad again: fresh slots replace the
      // ones bound before, which only the host holds from then on.
      ASSERT_NO_FATAL_FAILURE(Load());
      ASSERT_EQ(host_.hookCount(), 2u);
    }
    ASSERT_EQ(MostBindings(host_.console()), 1u);
    ASSERT_TRUE(*plugin().enabled);

    host_.Press(localCar());
    host_.Frame();
    host_.UnloadPlugin();

    ASSERT_FALSE(host_.pluginLoaded());
    ASSERT_EQ(host_.hookCount(), 0u);
    ASSERT_EQ(host_.drawableCount(), 0u);
    ASSERT_EQ(MostBindings(host_.console()), 0u);
    ASSERT_EQ(host_.console().variables().size(), 12u);
    if (cycle + 1 == warmCycles) warmHeap = HeapInUse();
  }
  const std::size_t finalHeap = HeapInUse();

  EXPECT_TRUE(listener_.messages.empty()) << listener_.messages.front();
  // Every cycle pressed and drew: a swap logs at least its first line, and
  // the overlay marked the team-mate; twice in the cycles that ran onLoad
  // twice, which hooks and registers twice.
  const long callbacks = cycles + cycles / 2;
  EXPECT_GE(listener_.logCount, callbacks);
  EXPECT_EQ(listener_.lineCount, 3 * callbacks);

  // Whatever a cycle keeps must not add up: the warm heap gets a little
  // slack for the allocator's own bookkeeping, and no allowance per cycle,
  // except for one thing under a sanitizer. Its __cxa_atexit interceptor
  // registers an exit handler of its own, for the whole process, with each
  // static destructor a module registers, and the module has two: 32 bytes
  // of glibc's exit list apiece, every load, until the process ends.
  if (kCanMeasureHeap) {
    const std::size_t grown = finalHeap > warmHeap ? finalHeap - warmHeap : 0;
    const std::size_t perCycle = kSanitizedHeap ? 80 : 0;
    const std::size_t allowed = 16 * 1024 + perCycle * static_cast<std::size_t>(cycles - warmCycles);
    EXPECT_LT(grown, allowed) << "the heap grew by " << grown << " bytes over "
                              << cycles - warmCycles << " cycles";
  }
}

}  // namespace
}  // namespace vantorel_test
