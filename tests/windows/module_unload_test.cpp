// A plugin module that leaves the process while its holder still holds the
// plugin object must release the object with its other statics: a host that
// unloads without deleteMe (or a process that ends) must not leak what the
// object shares with it. The host's pointers the object holds show it: their
// counts drop back when the module goes.

#include <memory>

#include <gtest/gtest.h>

#include "BakkesModPlugin.h"
#include "CVarManagerWrapper.h"
#include "GameWrapper.h"
#include "ModuleHandle.h"
#include "Paths.h"
#include "PluginExports.h"

namespace vantorel_test {
namespace {

using BakkesMod::Plugin::BakkesModPlugin;

TEST(ModuleUnload, ReleasesThePluginObjectTheHolderStillHolds) {
  ModuleHandle module(PluginModule());
  ASSERT_TRUE(module.open()) << PluginModule();
  const PluginInfo* record = module.Record();
  ASSERT_NE(record, nullptr);
  ASSERT_EQ(record->interfaceVersion, kPluginInterfaceVersion);

  std::shared_ptr<BakkesModPlugin>* holder = record->getPlugin();
  ASSERT_NE(holder, nullptr);
  ASSERT_TRUE(*holder);

  // Wrappers of no host session: the plugin may call them, and they answer
  // as a host with nothing in it, keeping no callback or slot of the module.
  // They were made here, so their release runs code that outlives the module.
  auto console = std::make_shared<CVarManagerWrapper>(nullptr);
  auto game = std::make_shared<GameWrapper>(nullptr);
  (*holder)->cvarManager = console;
  (*holder)->gameWrapper = game;
  (*holder)->onLoad();
  (*holder)->onUnload();
  ASSERT_EQ(console.use_count(), 2);
  ASSERT_EQ(game.use_count(), 2);

  // No deleteMe: the module goes with the object still in its holder.
  module.Close();
  EXPECT_EQ(console.use_count(), 1);
  EXPECT_EQ(game.use_count(), 1);
}

}  // namespace
}  // namespace vantorel_test
