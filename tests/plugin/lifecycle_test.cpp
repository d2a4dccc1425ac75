// The plugin shell as the host sees it: the module's record and factory, the
// plugin object's lifecycle, and its twelve settings. The module is the real
// built one, loaded through the simulated host's loader.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <variant>

#include "HostFixture.h"
#include "ModuleHandle.h"
#include "Paths.h"
#include "PluginExports.h"
#include "VantorelPlugin.h"

namespace vantorel_test {
namespace {

using BakkesMod::Plugin::BakkesModPlugin;

using Lifecycle = HostFixture;

// ---------------------------------------------------------------------------
// The record and the factory

template <typename T>
T Read(const unsigned char* bytes, std::size_t offset) {
  T value;
  std::memcpy(&value, bytes + offset, sizeof value);
  return value;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(Lifecycle, RecordReadsAsTheHostExpects) {
  Load();
  const PluginInfo* record = host_.pluginRecord();
  ASSERT_NE(record, nullptr);
  ModuleHandle module(PluginModule());
  ASSERT_TRUE(module.open());
  EXPECT_EQ(module.Record(), record) << "the host read the module's own record";

  unsigned char bytes[64];
  std::memcpy(bytes, record, sizeof bytes);
  EXPECT_EQ(Read<std::int32_t>(bytes, 0), 73);
  for (std::size_t i = 4; i < 8; ++i) EXPECT_EQ(bytes[i], 0) << "padding byte " << i;
  const std::string fileName = Read<const char*>(bytes, 8);
  EXPECT_TRUE(EndsWith(fileName, "VantorelPlugin.cpp")) << fileName;
  EXPECT_STREQ(Read<const char*>(bytes, 16), "VantorelPlugin");
  EXPECT_STREQ(Read<const char*>(bytes, 24), "Zindar Switching Plugin");
  EXPECT_STREQ(Read<const char*>(bytes, 32), "0.1");
  EXPECT_EQ(Read<std::int32_t>(bytes, 40), 1);
  for (std::size_t i = 44; i < 48; ++i) EXPECT_EQ(bytes[i], 0) << "padding byte " << i;
  EXPECT_EQ(Read<void*>(bytes, 48), module.Symbol("getPlugin"));
  EXPECT_EQ(Read<void*>(bytes, 56), module.Symbol("deleteMe"));
  EXPECT_NE(module.Symbol("getPlugin"), nullptr);
  EXPECT_NE(module.Symbol("deleteMe"), nullptr);
}

// The factory alone, with no host around it: the module opened by the test.
TEST(Factory, GetPluginAndDeleteMe) {
  ModuleHandle module(PluginModule());
  ASSERT_TRUE(module.open());
  const PluginInfo* record = module.Record();
  ASSERT_NE(record, nullptr);
  record->deleteMe();  // with no object: nothing happens
  record->deleteMe();

  std::shared_ptr<BakkesModPlugin>* holder = record->getPlugin();
  ASSERT_NE(holder, nullptr);
  ASSERT_TRUE(*holder);
  BakkesModPlugin* object = holder->get();
  auto* plugin = static_cast<VantorelPlugin*>(object);
  EXPECT_EQ(plugin->cvarManager, nullptr);
  EXPECT_EQ(plugin->gameWrapper, nullptr);
  EXPECT_EQ(plugin->enabled, nullptr);
  EXPECT_EQ(plugin->renderIconHeight, nullptr);
  EXPECT_EQ(plugin->lastSwapIndex.load(), 0);

  // Twice: the same holder, the same object.
  EXPECT_EQ(record->getPlugin(), holder);
  EXPECT_EQ(holder->get(), object);

  // Marks on the object, to tell a fresh one from it.
  plugin->lastSwapIndex = 5;
  plugin->enabled = std::make_shared<bool>(true);
  std::weak_ptr<BakkesModPlugin> watch = *holder;

  record->deleteMe();
  EXPECT_FALSE(*holder);
  EXPECT_EQ(holder->get(), nullptr);
  EXPECT_TRUE(watch.expired());
  watch.reset();
  record->deleteMe();  // a second time: nothing happens
  EXPECT_FALSE(*holder);

  std::shared_ptr<BakkesModPlugin>* again = record->getPlugin();
  EXPECT_EQ(again, holder);
  ASSERT_TRUE(*again);
  auto* fresh = static_cast<VantorelPlugin*>(again->get());
  EXPECT_EQ(fresh->lastSwapIndex.load(), 0);
  EXPECT_EQ(fresh->enabled, nullptr);
  EXPECT_EQ(fresh->distanceWeight, nullptr);
  record->deleteMe();
}

TEST_F(Lifecycle, LoadingTwiceKeepsTheObject) {
  Load();
  BakkesModPlugin* first = host_.plugin();
  std::shared_ptr<BakkesModPlugin>* holder = host_.pluginRecord()->getPlugin();
  EXPECT_EQ(holder->get(), first);
  Set("vantorel_enable", "1");
  Load();
  EXPECT_EQ(host_.plugin(), first);
  EXPECT_EQ(host_.pluginRecord()->getPlugin(), holder);
  // onLoad ran again: fresh slots that carry the variables' current values;
  // the host let go of the earlier slots only it still held.
  EXPECT_TRUE(*plugin().enabled);
  EXPECT_FALSE(*plugin().sequentialSwap);
  EXPECT_EQ(plugin().lastSwapIndex.load(), 0);
  for (const auto& variable : host_.console().variables()) {
    EXPECT_EQ(variable->bindings.size(), 1u) << variable->name;
  }
  EXPECT_EQ(host_.console().variables().size(), 12u);
}

// ---------------------------------------------------------------------------
// Settings

struct Setting {
  const char* name;
  const char* defaultValue;
  const char* description;
  float min;
  float max;
};

const Setting kSettings[] = {
    {"vantorel_enable", "0", "Enable car swapping when pressing L3", 0, 1},
    {"vantorel_set_velocities", "1", "Set velocities on player swap", 0, 1},
    {"vantorel_set_rotation", "1", "Set rotations on player swap", 0, 1},
    {"vantorel_set_boost", "1", "Set boost on player swap", 0, 1},
    {"vantorel_sequential_swap", "0",
     "If true, swap through the cars in order. If false, try to automatically determine the "
     "best car to swap to.",
     0, 1},
    {"vantorel_swap_distanceweight", "0.5",
     "How heavily distance to the ball weights the best car choice.", 0, 1},
    {"vantorel_render_enable", "0", "Enable rendering", 0, 1},
    {"vantorel_render_selected", "1", "Render currently selected car", 0, 1},
    {"vantorel_render_next", "1", "Render next car to switch to", 0, 1},
    {"vantorel_render_thickness", "3", "Render line thickness", 1, 5},
    {"vantorel_render_iconsize", "12", "Render icon size", 5, 40},
    {"vantorel_render_iconheight", "15", "Render icon size", 0, 40},
};

TEST_F(Lifecycle, OnLoadRegistersTheTwelveSettingsInOrder) {
  Load();
  const auto& variables = host_.console().variables();
  ASSERT_EQ(variables.size(), 12u);
  for (std::size_t i = 0; i < 12; ++i) {
    const Setting& expected = kSettings[i];
    const simhost::Variable& actual = *variables[i];
    SCOPED_TRACE(expected.name);
    EXPECT_EQ(actual.name, expected.name);
    EXPECT_EQ(actual.defaultValue, expected.defaultValue);
    EXPECT_EQ(actual.value, expected.defaultValue);
    EXPECT_EQ(actual.description, expected.description);
    EXPECT_TRUE(actual.searchable);
    EXPECT_TRUE(actual.hasMin);
    EXPECT_EQ(actual.min, expected.min);
    EXPECT_TRUE(actual.hasMax);
    EXPECT_EQ(actual.max, expected.max);
    EXPECT_TRUE(actual.saveToConfig);
    EXPECT_EQ(actual.bindings.size(), 1u);
  }
  EXPECT_TRUE(listener_.messages.empty());
  EXPECT_TRUE(listener_.logs.empty());
}

TEST_F(Lifecycle, SlotsHoldTheDefaultsAfterOnLoad) {
  Load();
  for (const Setting& setting : kSettings) {
    EXPECT_EQ(SlotValue(setting.name), std::stod(setting.defaultValue)) << setting.name;
  }
  EXPECT_EQ(lastSwapIndex(), 0);
  // Each slot is shared by the plugin and the host.
  EXPECT_EQ(plugin().enabled.use_count(), 2);
  EXPECT_EQ(plugin().renderIconHeight.use_count(), 2);
  EXPECT_EQ(host_.hookCount(), 1u);
  EXPECT_EQ(host_.drawableCount(), 1u);
}

TEST_F(Lifecycle, ConsoleChangeReachesTheSlotAtOnce) {
  Load();
  const struct {
    const char* name;
    const char* typed;
    double slot;
  } changes[] = {
      {"vantorel_enable", "1", 1},
      {"vantorel_set_boost", "0", 0},
      {"vantorel_swap_distanceweight", "0.25", 0.25},
      {"vantorel_render_thickness", "4.9", 4},
      {"vantorel_render_iconsize", "100", 40},
      {"vantorel_render_iconheight", "-3", 0},
  };
  for (const auto& change : changes) {
    Set(change.name, change.typed);
    EXPECT_EQ(SlotValue(change.name), change.slot) << change.name << " " << change.typed;
  }
  EXPECT_EQ(host_.console().Find("vantorel_render_iconsize")->value, "40");

  // A refused value changes nothing and says so.
  simhost::Variable* enable = host_.console().Find("vantorel_enable");
  EXPECT_FALSE(host_.console().Set(*enable, "yes"));
  EXPECT_TRUE(*plugin().enabled);
  ASSERT_EQ(listener_.messages.size(), 1u);
  EXPECT_NE(listener_.messages[0].find("vantorel_enable"), std::string::npos);
  EXPECT_NE(listener_.messages[0].find("\"yes\""), std::string::npos);
}

// ---------------------------------------------------------------------------
// Unloading

TEST_F(Lifecycle, AfterOnUnloadNoPressOrFrameReachesThePlugin) {
  AddLocal("Zindar", 0);
  AddCar("Mate", 0, {1000, 0, 0}).screenPoint = Vector2{500, 500};
  Load();
  Set("vantorel_enable", "1");
  Set("vantorel_render_enable", "1");
  EXPECT_FALSE(Press().empty());
  EXPECT_FALSE(Frame().empty());

  host_.plugin()->onUnload();
  EXPECT_EQ(host_.hookCount(), 0u);
  EXPECT_EQ(host_.drawableCount(), 0u);
  EXPECT_TRUE(Press().empty());
  EXPECT_TRUE(Frame().empty());
  EXPECT_TRUE(logs().empty());
  EXPECT_TRUE(host_.lastFrame().empty());
  // The variables stay, and the slots are as they were.
  EXPECT_EQ(host_.console().variables().size(), 12u);
  EXPECT_TRUE(*plugin().enabled);
}

TEST_F(Lifecycle, UnloadKeepsTheVariablesAndLetsGoOfTheSlots) {
  Load();
  Set("vantorel_render_thickness", "5");
  host_.UnloadPlugin();
  ASSERT_NO_FATAL_FAILURE(ExpectUnloaded(12));
  EXPECT_EQ(host_.console().Find("vantorel_render_thickness")->value, "5");
  // A value set while unloaded reaches the next plugin object.
  Set("vantorel_render_iconheight", "7");
  Load();
  EXPECT_EQ(*plugin().renderThickness, 5);
  EXPECT_EQ(*plugin().renderIconHeight, 7);
}

TEST_F(Lifecycle, ABoundSlotOutlivesThePluginObjectInTheHost) {
  Load();
  // The object goes (deleteMe), the host keeps its copies of the slots.
  host_.pluginRecord()->deleteMe();
  EXPECT_EQ(host_.plugin(), nullptr);
  for (const auto& variable : host_.console().variables()) {
    ASSERT_EQ(variable->bindings.size(), 1u);
    const long count = std::visit([](const auto& slot) { return slot.use_count(); },
                                  variable->bindings[0].slot);
    EXPECT_EQ(count, 1) << variable->name;
  }
  // Still written at every change.
  Set("vantorel_render_iconsize", "33");
  const auto& slot = std::get<std::shared_ptr<int>>(
      host_.console().Find("vantorel_render_iconsize")->bindings[0].slot);
  EXPECT_EQ(*slot, 33);
  // Unloading now lets go of them, before the module closes.
  host_.UnloadPlugin();
  for (const auto& variable : host_.console().variables()) EXPECT_TRUE(variable->bindings.empty());
}

TEST_F(Lifecycle, SavedValuesComeBackOnTheNextLoad) {
  const std::string path = TempPath("saved.cfg");
  std::remove(path.c_str());
  {
    RecordingListener first;
    simhost::Host earlier(first);
    ASSERT_TRUE(Succeeded(earlier.console().LoadConfig(path)));
    ASSERT_TRUE(Succeeded(earlier.LoadPlugin(PluginModule())));
    earlier.console().Set(*earlier.console().Find("vantorel_enable"), "1");
    earlier.console().Set(*earlier.console().Find("vantorel_render_iconsize"), "20");
    earlier.console().Set(*earlier.console().Find("vantorel_swap_distanceweight"), "0.125");
    earlier.UnloadPlugin();
    ASSERT_TRUE(Succeeded(earlier.console().SaveConfig(path)));
  }
  ASSERT_TRUE(Succeeded(host_.console().LoadConfig(path)));
  Load();
  EXPECT_TRUE(*plugin().enabled);
  EXPECT_EQ(*plugin().renderIconSize, 20);
  EXPECT_EQ(*plugin().distanceWeight, 0.125f);
  EXPECT_EQ(*plugin().renderThickness, 3);
  EXPECT_EQ(host_.console().Find("vantorel_render_iconsize")->value, "20");
  EXPECT_TRUE(listener_.messages.empty());
}

// ---------------------------------------------------------------------------
// Refused modules

TEST_F(Lifecycle, AModuleThatCannotBeOpenedIsRefused) {
  const std::string error = LoadRefused("/no/such/place/VantorelPlugin.so");
  EXPECT_NE(error.find("cannot open plugin module /no/such/place/VantorelPlugin.so"),
            std::string::npos)
      << error;
  EXPECT_TRUE(host_.console().variables().empty());
}

TEST_F(Lifecycle, AModuleOfAnotherInterfaceVersionIsRefused) {
  const std::string error = LoadRefused(TestPluginV72Module());
  EXPECT_NE(error.find("carries plugin interface version 72; this host loads version 73"),
            std::string::npos)
      << error;
  // The real module still loads afterwards.
  Load();
}

}  // namespace
}  // namespace vantorel_test
