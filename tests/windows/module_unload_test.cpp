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
#include "PluginExports.h"

#include <windows.h>

namespace {

using BakkesMod::Plugin::BakkesModPlugin;

// The plugin module, opened the way a host opens it and closed on request.
class Module {
 public:
  // The module's own folder is searched for the host library it imports.
  explicit Module(const char* path)
      : handle_(LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {}
  ~Module() { Close(); }
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  bool open() const { return handle_ != nullptr; }

  const PluginInfo* Record() const {
    return reinterpret_cast<const PluginInfo*>(
        GetProcAddress(handle_, kPluginRecordSymbol));
  }

  void Close() {
    if (handle_ == nullptr) return;
    FreeLibrary(handle_);
    handle_ = nullptr;
  }

 private:
  HMODULE handle_;
};

TEST(ModuleUnload, ReleasesThePluginObjectTheHolderStillHolds) {
  Module module(VANTOREL_PLUGIN_MODULE);
  ASSERT_TRUE(module.open()) << VANTOREL_PLUGIN_MODULE;
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
