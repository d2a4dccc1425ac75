// The host refuses a module whose record or factory hands it nothing usable,
// at the first load and at a load of a module loaded already, and is left
// as it was: nothing half loaded, no variable, hook or drawable, and the
// module told to let go of what it may have made.

#include <gtest/gtest.h>

#include <string>

#include "HostFixture.h"
#include "ModuleHandle.h"
#include "Paths.h"
#include "TestPlugin.h"

namespace vantorel_test {
namespace {

// The host, and the breakable build of the test plugin opened by the test as
// well, so that the test reaches the module's switch and its statics stay
// between the host's loads.
class BrokenModuleTest : public HostFixture {
 protected:
  BrokenModuleTest() : module_(path_.c_str()) {}

  void SetUp() override {
    ASSERT_TRUE(module_.open()) << path_;
    breakModule_ = reinterpret_cast<BreakTestPluginFunction>(
        module_.Symbol(kBreakTestPluginSymbol));
    deletes_ = static_cast<const int*>(module_.Symbol(kTestPluginDeletesSymbol));
    ASSERT_NE(breakModule_, nullptr);
    ASSERT_NE(deletes_, nullptr);
  }

  // A module broken by a failed test must not crash the host's unloading.
  void TearDown() override {
    if (breakModule_ != nullptr) breakModule_(TestPluginFault::kNone);
  }

  void Break(TestPluginFault fault) { breakModule_(fault); }

  // What the host says of the module at `path` when getPlugin gives nothing.
  static std::string NoPlugin(const std::string& path) {
    return "plugin module " + path + ": getPlugin gave no plugin";
  }

  // The host holds nothing of a plugin and nothing a plugin registered.
  void ExpectNothingLoaded() {
    EXPECT_FALSE(host_.pluginLoaded());
    EXPECT_EQ(host_.plugin(), nullptr);
    EXPECT_EQ(host_.pluginRecord(), nullptr);
    EXPECT_EQ(host_.hookCount(), 0u);
    EXPECT_EQ(host_.drawableCount(), 0u);
    EXPECT_TRUE(host_.console().variables().empty());
    EXPECT_TRUE(listener_.logs.empty());
  }

  TestPlugin& plugin() { return *static_cast<TestPlugin*>(host_.plugin()); }

  const std::string path_ = TestPluginBreakableModule();
  ModuleHandle module_;
  BreakTestPluginFunction breakModule_ = nullptr;
  const int* deletes_ = nullptr;
};

TEST_F(BrokenModuleTest, ARecordWithoutItsFunctionsIsRefusedUntouched) {
  for (const TestPluginFault fault :
       {TestPluginFault::kNoGetPlugin, TestPluginFault::kNoDeleteMe}) {
    SCOPED_TRACE(static_cast<int>(fault));
    Break(fault);
    EXPECT_EQ(LoadRefused(path_),
              "plugin module " + path_ + ": its record lacks getPlugin or deleteMe");
    ExpectNothingLoaded();
    // Neither function was called: there is no pair to call.
    EXPECT_EQ(*deletes_, 0);
  }
}

TEST_F(BrokenModuleTest, AFirstLoadWithoutAPluginIsRefusedAndLetGo) {
  int deletes = 0;
  for (const TestPluginFault fault :
       {TestPluginFault::kNullHolder, TestPluginFault::kEmptyHolder}) {
    SCOPED_TRACE(static_cast<int>(fault));
    Break(fault);
    EXPECT_EQ(LoadRefused(path_), NoPlugin(path_));
    ExpectNothingLoaded();
    EXPECT_EQ(*deletes_, ++deletes) << "deleteMe is called once for the refused factory";
  }

  // Nothing of the refusals stays in the way of a sound load.
  Break(TestPluginFault::kNone);
  Load(path_);
  EXPECT_EQ(plugin().loads, 1);
  EXPECT_EQ(host_.hookCount(), 1u);
  EXPECT_EQ(listener_.logs, Lines{"test plugin loaded"});
}

// A module loaded already whose factory then gives no plugin: the load is
// refused, naming the module the host holds, and the plugin that is loaded
// stays as it was, onLoad not run again, until it is unloaded as usual.
TEST_F(BrokenModuleTest, ALoadAgainWithoutAPluginKeepsTheLoadedOne) {
  Load(path_);
  BakkesMod::Plugin::BakkesModPlugin* loaded = host_.plugin();
  for (const TestPluginFault fault :
       {TestPluginFault::kNullHolder, TestPluginFault::kEmptyHolder}) {
    SCOPED_TRACE(static_cast<int>(fault));
    Break(fault);
    EXPECT_EQ(host_.LoadPlugin("not looked at when loaded").message(), NoPlugin(path_));
    EXPECT_TRUE(host_.pluginLoaded());
    EXPECT_EQ(host_.plugin(), loaded);
    EXPECT_EQ(plugin().loads, 1);
    EXPECT_EQ(host_.hookCount(), 1u);
    EXPECT_EQ(host_.drawableCount(), 1u);
    EXPECT_EQ(*deletes_, 0);
  }

  Break(TestPluginFault::kNone);
  host_.UnloadPlugin();
  ASSERT_NO_FATAL_FAILURE(ExpectUnloaded(3));
  EXPECT_EQ(*deletes_, 1);
}

}  // namespace
}  // namespace vantorel_test
