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

#if defined(_WIN32)
#  include <windows.h>
#else
#  include <dlfcn.h>
#endif

namespace {

using BakkesMod::Plugin::BakkesModPlugin;

// The plugin module, opened the way a host opens it and closed on request.
class Module {
 public:
  explicit Module(const char* path) {
#if defined(_WIN32)
    // The module's own folder is searched for the host library it imports.
    handle_ = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
#else
    handle_ = dlopen(path, RTLD_NOW | RTLD_LOCAL);
#endif
  }
  ~Module() { Close(); }
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  bool open() const { return handle_ != nullptr; }

  const PluginInfo* Record() const {
#if defined(_WIN32)
    return reinterpret_cast<const PluginInfo*>(
        GetProcAddress(handle_, kPluginRecordSymbol));
#else
    return static_cast<const PluginInfo*>(dlsym(handle_, kPluginRecordSymbol));
#endif
  }

  void Close() {
    if (handle_ == nullptr) return;
#if defined(_WIN32)
    FreeLibrary(handle_);
#else
    dlclose(handle_);
#endif
    handle_ = nullptr;
  }

 private:
#if defined(_WIN32)
  HMODULE handle_;
#else
  void* handle_;
#endif
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
