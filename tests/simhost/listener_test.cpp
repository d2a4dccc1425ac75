#include "simhost/HostListener.h"

#include <gtest/gtest.h>

#include <string>

#include "Paths.h"
#include "RecordingListener.h"
#include "StatusAssertions.h"
#include "TestFiles.h"
#include "TestPlugin.h"
#include "simhost/Host.h"

namespace vantorel_test {
namespace {

// A listener that takes the console log alone and leaves every other event
// to HostListener's defaults, as a program that only prints the log would.
class LogOnlyListener : public simhost::HostListener {
 public:
  void OnLog(const std::string& text) override { logs.push_back(text); }
  Lines logs;
};

// The defaults take the host's messages and drawing calls and do nothing
// with them: the host goes on as with any listener, and none of it turns
// into a log line.
TEST(HostListenerTest, TheDefaultsIgnoreWhatTheyAreGiven) {
  const std::string config = TempPath("saved.cfg");
  WriteFile(config, "not a setting\ntest_count \"lots\"\n");
  LogOnlyListener listener;
  simhost::Host host(listener);
  ASSERT_TRUE(Succeeded(host.console().LoadConfig(config)));  // a bad line: a message
  ASSERT_TRUE(Succeeded(host.LoadPlugin(TestPluginModule())));
  auto& plugin = *static_cast<TestPlugin*>(host.plugin());
  simhost::Variable& count = *host.console().Find("test_count");
  EXPECT_EQ(count.value, "4");  // the saved value refused, with a message

  EXPECT_FALSE(host.console().Set(count, "many"));  // refused, with a message
  EXPECT_EQ(count.value, "4");
  EXPECT_EQ(*plugin.count, 4);
  EXPECT_TRUE(host.console().Set(count, "7"));
  EXPECT_EQ(*plugin.count, 7);

  host.Frame();
  EXPECT_EQ(plugin.frames, 1);
  EXPECT_EQ(Describe(host.lastFrame()), (Lines{"color 1 2 3 4", "line 1,2 3,4 5"}));
  EXPECT_EQ(listener.logs, Lines{"test plugin loaded"});
}

}  // namespace
}  // namespace vantorel_test
