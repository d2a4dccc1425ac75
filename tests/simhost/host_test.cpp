#include "simhost/Host.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <thread>

#include "simhost/Projection.h"
#include "HostFixture.h"
#include "Paths.h"
#include "ServerWrapper.h"
#include "TestPlugin.h"

#ifdef VANTOREL_COUNT_ALLOCATIONS
// Counts every allocation of the process, the host library's too, since the
// executable's operator new serves the whole process.
#include "AllocationCounter.h"
#endif

namespace vantorel_test {
namespace {

using simhost::Host;
using simhost::SimCar;

const char kPickup[] = "Function TAGame.PlayerController_TA.UsePickup";

std::uintptr_t Address(const simhost::SimActor* actor) {
  return reinterpret_cast<std::uintptr_t>(actor);
}

// The host with the small test plugin of tests/support instead of the real
// one.
class HostTest : public HostFixture {
 protected:
  void Load() { HostFixture::Load(TestPluginModule()); }
  TestPlugin& plugin() { return *static_cast<TestPlugin*>(host_.plugin()); }
};

// ---------------------------------------------------------------------------
// Loading

// The system's reason follows the path, which is named once.
TEST_F(HostTest, RefusesAModuleThatCannotBeOpened) {
  const std::string error = LoadRefused("/no/such/folder/VantorelPlugin.so");
  const std::string prefix = "cannot open plugin module /no/such/folder/VantorelPlugin.so: ";
  EXPECT_EQ(error.rfind(prefix, 0), 0u) << error;
  EXPECT_GT(error.size(), prefix.size());
  EXPECT_EQ(error.find("VantorelPlugin.so", prefix.size()), std::string::npos) << error;
  EXPECT_EQ(host_.plugin(), nullptr);
  EXPECT_EQ(host_.pluginRecord(), nullptr);
}

// A path is a path: a folder is said to be one, and a bare file name is the
// file in the current folder, never a library the system would find.
TEST_F(HostTest, TakesTheModulePathAsAPath) {
  EXPECT_EQ(LoadRefused(TempDir()),
            std::string("cannot open plugin module ") + TempDir() + ": it is a directory");
#ifdef _WIN32
  const std::string systemLibrary = "kernel32.dll";
#else
  const std::string systemLibrary = "libc.so.6";
#endif
  const std::string refusal = LoadRefused(systemLibrary);
  EXPECT_EQ(refusal.rfind("cannot open plugin module " + systemLibrary + ": ", 0), 0u) << refusal;

  const std::filesystem::path module = std::filesystem::u8path(TestPluginModule());
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(module.parent_path());
  const files::Status loaded = host_.LoadPlugin(module.filename().u8string());
  std::filesystem::current_path(before);
  EXPECT_TRUE(Succeeded(loaded));
}

TEST_F(HostTest, RefusesAModuleWithoutRecord) {
  EXPECT_EQ(LoadRefused(TestPluginNoExportsModule()),
            std::string("plugin module ") + TestPluginNoExportsModule() +
                " has no exported record \"exports\"");
}

TEST_F(HostTest, RefusesAnotherInterfaceVersion) {
  EXPECT_EQ(LoadRefused(TestPluginV72Module()),
            std::string("plugin module ") + TestPluginV72Module() +
                " carries plugin interface version 72; this host loads version 73");
  EXPECT_EQ(host_.hookCount(), 0u);
  EXPECT_TRUE(host_.console().variables().empty());
}

TEST_F(HostTest, LoadFillsTheMembersAndRunsOnLoad) {
  Load();
  ASSERT_TRUE(host_.pluginLoaded());
  ASSERT_NE(host_.plugin(), nullptr);
  ASSERT_NE(host_.pluginRecord(), nullptr);
  EXPECT_STREQ(host_.pluginRecord()->className, "TestPlugin");
  EXPECT_NE(host_.plugin()->cvarManager, nullptr);
  EXPECT_NE(host_.plugin()->gameWrapper, nullptr);
  EXPECT_EQ(plugin().loads, 1);
  ASSERT_EQ(listener_.logs.size(), 1u);
  EXPECT_EQ(listener_.logs[0], "test plugin loaded");
  EXPECT_EQ(host_.hookCount(), 1u);
  EXPECT_EQ(host_.drawableCount(), 1u);
  ASSERT_EQ(host_.console().variables().size(), 3u);
  EXPECT_FALSE(*plugin().enable);
  EXPECT_EQ(*plugin().count, 4);
  EXPECT_EQ(*plugin().weight, 0.25f);
}

TEST_F(HostTest, LoadingAgainRunsOnLoadAgainInTheSameSession) {
  Load();
  BakkesMod::Plugin::BakkesModPlugin* first = host_.plugin();
  GameWrapper* firstGame = host_.plugin()->gameWrapper.get();
  Set("test_count", "9");
  ASSERT_TRUE(Succeeded(host_.LoadPlugin("ignored when loaded")));
  EXPECT_EQ(host_.plugin(), first);
  EXPECT_EQ(host_.plugin()->gameWrapper.get(), firstGame);
  EXPECT_EQ(plugin().loads, 2);
  // The plugin hooks and draws twice now; the variables kept their values
  // and reach the fresh slots.
  EXPECT_EQ(host_.hookCount(), 2u);
  EXPECT_EQ(host_.drawableCount(), 2u);
  EXPECT_EQ(*plugin().count, 9);
  // The earlier slots, held by the host alone, were let go on the new bind.
  EXPECT_EQ(host_.console().Find("test_count")->bindings.size(), 1u);
}

TEST_F(HostTest, UnloadRunsOnUnloadDeletesAndLetsGo) {
  Load();
  Set("test_enable", "1");
  host_.UnloadPlugin();
  ASSERT_NO_FATAL_FAILURE(ExpectUnloaded(3));
  EXPECT_EQ(host_.console().Find("test_enable")->value, "1");
  host_.UnloadPlugin();  // nothing loaded: nothing happens

  // Loading again makes a fresh object, which gets the kept values.
  Load();
  EXPECT_EQ(plugin().loads, 1);
  EXPECT_TRUE(*plugin().enable);
}

TEST_F(HostTest, UnloadRemovesCallbacksThePluginLeftBehind) {
  Load();
  plugin().unhookOnUnload = false;
  host_.UnloadPlugin();
  EXPECT_EQ(host_.hookCount(), 0u);
  EXPECT_EQ(host_.drawableCount(), 0u);
  host_.Press(nullptr);
  host_.Frame();
  EXPECT_TRUE(host_.lastFrame().empty());
}

TEST_F(HostTest, WrappersOfAnUnloadedSessionRegisterNothing) {
  Load();
  std::shared_ptr<GameWrapper> oldGame = host_.plugin()->gameWrapper;
  std::shared_ptr<CVarManagerWrapper> oldConsole = host_.plugin()->cvarManager;
  host_.UnloadPlugin();
  oldGame->RegisterDrawable([](CanvasWrapper) {});
  oldGame->HookEventWithCallerPost<PlayerControllerWrapper>(
      kPickup, [](PlayerControllerWrapper, void*, std::string) {});
  EXPECT_EQ(host_.drawableCount(), 0u);
  EXPECT_EQ(host_.hookCount(), 0u);
  EXPECT_TRUE(oldGame->IsInGame());
  auto slot = std::make_shared<int>(-1);
  oldConsole->registerCvar("test_count", "4").bindTo(slot);
  EXPECT_EQ(*slot, -1);
  EXPECT_TRUE(host_.console().Find("test_count")->bindings.empty());

  // A new session's callbacks are not the old session's to remove.
  Load();
  oldGame->UnhookEvent(kPickup);
  oldGame->UnregisterDrawables();
  EXPECT_EQ(host_.hookCount(), 1u);
  EXPECT_EQ(host_.drawableCount(), 1u);
  EXPECT_NE(host_.plugin()->gameWrapper, oldGame);
}

// ---------------------------------------------------------------------------
// Hooks

TEST_F(HostTest, PressRunsThePickupHooksWithTheCarsController) {
  SimCar& car = match().Edit()->AddCar("A");
  Load();
  host_.Press(&car);
  EXPECT_EQ(plugin().presses, 1);
  EXPECT_EQ(plugin().lastCar, Address(&car));
  host_.Press(nullptr);
  EXPECT_EQ(plugin().presses, 2);
  EXPECT_EQ(plugin().lastCar, 0u);
  host_.RunHookedFunction("Function TAGame.Other", &car);
  EXPECT_EQ(plugin().presses, 2);
}

TEST_F(HostTest, HooksGetTheEventNameAndNoParameters) {
  Load();
  int calls = 0;
  game().HookEventWithCallerPost<PlayerControllerWrapper>(
      "Function A", [&](PlayerControllerWrapper caller, void* params, std::string name) {
        ++calls;
        EXPECT_FALSE(caller.IsNull());
        EXPECT_EQ(params, nullptr);
        EXPECT_EQ(name, "Function A");
      });
  game().HookEventWithCallerPost<PlayerControllerWrapper>(
      "Function B", [&](PlayerControllerWrapper, void*, std::string) { calls += 10; });
  host_.RunHookedFunction("Function A", nullptr);
  EXPECT_EQ(calls, 1);
  game().UnhookEvent("Function A");
  host_.RunHookedFunction("Function A", nullptr);
  host_.RunHookedFunction("Function B", nullptr);
  EXPECT_EQ(calls, 11);
  EXPECT_EQ(plugin().presses, 0);
}

// ---------------------------------------------------------------------------
// Frames and the canvas

TEST_F(HostTest, FrameRecordsWhatIsDrawn) {
  Load();
  host_.Frame();
  EXPECT_EQ(plugin().frames, 1);
  const Lines drawn{"color 1 2 3 4", "line 1,2 3,4 5"};
  EXPECT_EQ(Describe(host_.lastFrame()), drawn);
  EXPECT_EQ(Describe(listener_.draws), drawn);

  host_.Frame();
  EXPECT_EQ(host_.lastFrame().size(), 2u);  // the last frame only
  EXPECT_EQ(listener_.draws.size(), 4u);
}

TEST_F(HostTest, ColourBytesAreUnsigned) {
  Load();
  game().RegisterDrawable([](CanvasWrapper canvas) {
    canvas.SetColor(static_cast<char>(0xFF), static_cast<char>(0x80), 0, 127);
  });
  host_.Frame();
  ASSERT_EQ(host_.lastFrame().size(), 3u);
  EXPECT_EQ(Describe(host_.lastFrame())[2], "color 255 128 0 127");
}

TEST_F(HostTest, DrawableMayUnregisterDuringAFrame) {
  Load();
  int calls = 0;
  game().RegisterDrawable([&](CanvasWrapper) {
    ++calls;
    game().UnregisterDrawables();
  });
  host_.Frame();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(plugin().frames, 1);
  host_.Frame();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(plugin().frames, 1);
}

TEST_F(HostTest, CanvasSizeAndProjection) {
  match().Edit()->canvasSize = Vector2{800, 600};
  AddCar("Fixed", 0, {100, 200, 300}).screenPoint = Vector2{11, 22};
  AddCar("Second", 0, {100, 200, 300}).screenPoint = Vector2{33, 44};
  AddCar("Zero", 0, {0.0f, 0, 0}).screenPoint = Vector2{55, 66};
  Load();

  Vector2 size{}, first{}, positiveZero{}, negativeZero{}, ahead{}, noCamera{};
  game().RegisterDrawable([&](CanvasWrapper canvas) {
    size = canvas.GetSize();
    first = canvas.Project(Vector{100, 200, 300});
    positiveZero = canvas.Project(Vector{0.0f, 0, 0});
    negativeZero = canvas.Project(Vector{-0.0f, 0, 0});
    ahead = canvas.Project(Vector{1000, 0, 0});
  });
  host_.Frame();
  EXPECT_EQ(size.X, 800);
  EXPECT_EQ(size.Y, 600);
  EXPECT_EQ(first.X, 11);  // the first car in list order
  EXPECT_EQ(first.Y, 22);
  EXPECT_EQ(positiveZero.X, 55);
  EXPECT_EQ(negativeZero.X, simhost::kOffCanvas.X);  // other bits: the camera's view
  EXPECT_EQ(ahead.X, 400);
  EXPECT_EQ(ahead.Y, 300);

  match().Edit()->hasCamera = false;
  game().RegisterDrawable([&](CanvasWrapper canvas) { noCamera = canvas.Project(Vector{1000, 0, 0}); });
  host_.Frame();
  EXPECT_EQ(noCamera.X, simhost::kOffCanvas.X);
  EXPECT_EQ(noCamera.Y, simhost::kOffCanvas.Y);
  EXPECT_EQ(first.X, 11);  // a fixed screen point needs no camera
}

#ifdef VANTOREL_COUNT_ALLOCATIONS
TEST_F(HostTest, AWarmFrameAllocatesNothing) {
  AddLocal("A", 0).screenPoint = Vector2{5, 5};
  Load();
  game().RegisterDrawable([](CanvasWrapper canvas) {
    for (int i = 0; i < 8; ++i) {
      canvas.Project(Vector{1000, 0, 0});
      canvas.GetSize();
      canvas.SetColor(1, 1, 1, 1);
      canvas.DrawLine(Vector2{0, 0}, Vector2{1, 1}, 1.0f);
    }
  });
  host_.Frame();
  host_.Frame();
  listener_.draws.clear();
  listener_.draws.reserve(1000);
  const auto before = AllocationCount();
  for (int i = 0; i < 10; ++i) host_.Frame();
  EXPECT_EQ(AllocationCount(), before);
}
#endif

// ---------------------------------------------------------------------------
// The game as the plugin sees it

TEST_F(HostTest, GameModes) {
  simhost::Match& match = host_.match();
  SimCar& car = AddLocal("A", 0);
  Load();
  GameWrapper& g = game();

  EXPECT_TRUE(g.IsInGame());
  EXPECT_FALSE(g.IsInOnlineGame());
  EXPECT_FALSE(g.GetGameEventAsServer().IsNull());
  EXPECT_TRUE(g.GetOnlineGame().IsNull());
  EXPECT_EQ(g.GetGameEventAsServer().GetGameCar().memory_address, Address(&car));
  EXPECT_EQ(g.GetGameEventAsServer().GetCars().Count(), 1);

  match.Edit()->mode = simhost::GameMode::kOnline;
  EXPECT_FALSE(g.IsInGame());
  EXPECT_TRUE(g.IsInOnlineGame());
  EXPECT_TRUE(g.GetGameEventAsServer().IsNull());
  EXPECT_FALSE(g.GetOnlineGame().IsNull());
  const float ballZ = match.Read()->ball.location.Z;  // apart: the wrappers lock too
  EXPECT_EQ(g.GetOnlineGame().GetBall().GetLocation().Z, ballZ);

  match.Edit()->mode = simhost::GameMode::kNone;
  EXPECT_FALSE(g.IsInGame());
  EXPECT_FALSE(g.IsInOnlineGame());
  EXPECT_TRUE(g.GetGameEventAsServer().IsNull());
  EXPECT_TRUE(g.GetOnlineGame().IsNull());

  match.Edit()->mode = simhost::GameMode::kHosted;
  match.Edit()->serverNull = true;
  EXPECT_TRUE(g.IsInGame());
  EXPECT_TRUE(g.GetGameEventAsServer().IsNull());
  match.Edit()->mode = simhost::GameMode::kOnline;
  EXPECT_TRUE(g.GetOnlineGame().IsNull());

  EXPECT_FALSE(g.GetCamera().IsNull());
  match.Edit()->camera.rotation = Rotator{1, 2, 3};
  EXPECT_EQ(g.GetCamera().GetRotation().Yaw, 2);
  match.Edit()->hasCamera = false;
  EXPECT_TRUE(g.GetCamera().IsNull());
}

TEST_F(HostTest, ConsoleChangeReachesTheSlotAtOnce) {
  Load();
  Set("test_enable", "1");
  EXPECT_TRUE(*plugin().enable);
  Set("test_count", "12.7");
  EXPECT_EQ(*plugin().count, 10);
  EXPECT_EQ(host_.console().Find("test_count")->value, "10");
  Set("test_weight", "-2.5");
  EXPECT_EQ(*plugin().weight, -2.5f);
  EXPECT_FALSE(host_.console().Set(*host_.console().Find("test_weight"), "heavy"));
  EXPECT_EQ(*plugin().weight, -2.5f);
  ASSERT_EQ(listener_.messages.size(), 1u);
}

TEST_F(HostTest, PressesAndFramesOnTwoThreads) {
  SimCar& a = AddLocal("A", 0);
  SimCar& b = AddCar("B", 0);
  b.screenPoint = Vector2{1, 1};
  Load();
  std::thread presser([&] {
    for (int i = 0; i < 2000; ++i) host_.Press(i % 2 ? &a : &b);
  });
  std::thread drawer([&] {
    for (int i = 0; i < 2000; ++i) host_.Frame();
  });
  presser.join();
  drawer.join();
  EXPECT_EQ(plugin().presses, 2000);
  EXPECT_EQ(plugin().frames, 2000);
}

}  // namespace
}  // namespace vantorel_test
