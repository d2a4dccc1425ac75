#include "ScriptPlayer.h"

#include <gtest/gtest.h>

#include <string>

#include "Paths.h"
#include "ScriptPlayerFixture.h"
#include "TestPlugin.h"

namespace vantorel_sim {
namespace {

using vantorel_test::CommandOf;

// No module lies at the player's path: a test that loads a plugin brings a
// player of its own.
class ScriptPlayerTest : public vantorel_test::ScriptPlayerFixture {
 protected:
  ScriptPlayerTest() : ScriptPlayerFixture(vantorel_test::TempPath("no-such-module")) {}

  // Each lets go of the match's access before returning: one expression may call both.
  simhost::SimCar& car(std::size_t index) { return *match().Read()->cars().at(index); }
  simhost::SimCar* localCar() { return match().Read()->localCar; }
};

TEST_F(ScriptPlayerTest, AddsAndChangesCars) {
  PlayAll({"car Ava team=1 loc=1,2,3 vel=4,5,6 angvel=7,8,9 rot=10,11,12 boost=50 "
           "screen=100,200 nopri noboost",
           "nullcar", "car Bo local"});
  ASSERT_EQ(match().Read()->cars().size(), 3u);
  const simhost::SimCar& ava = car(0);
  EXPECT_EQ(ava.owner, "Ava");
  EXPECT_EQ(ava.playerInfo.team, 1);
  EXPECT_EQ(ava.location.Z, 3.0f);
  EXPECT_EQ(ava.velocity.X, 4.0f);
  EXPECT_EQ(ava.angularVelocity.Y, 8.0f);
  EXPECT_EQ(ava.rotation.Roll, 12);
  EXPECT_EQ(ava.boostComponent.amount, 50.0f);
  EXPECT_EQ(ava.screenPoint->Y, 200);
  EXPECT_FALSE(ava.hasPlayerInfo);
  EXPECT_FALSE(ava.hasBoostComponent);
  EXPECT_EQ(match().Read()->cars()[1], nullptr);
  EXPECT_EQ(localCar(), &car(2));
  EXPECT_TRUE(car(2).hasPlayerInfo);

  // set changes only the fields it names.
  PlayAll({"set Ava loc=-1,-2,-3 screen=none team=0"});
  EXPECT_EQ(ava.location.X, -1.0f);
  EXPECT_EQ(ava.velocity.X, 4.0f);
  EXPECT_EQ(ava.playerInfo.team, 0);
  EXPECT_FALSE(ava.screenPoint.has_value());
  EXPECT_EQ(ava.boostComponent.amount, 50.0f);

  PlayAll({"local Ava"});
  EXPECT_EQ(localCar(), &car(0));
  PlayAll({"local none"});
  EXPECT_EQ(localCar(), nullptr);
}

TEST_F(ScriptPlayerTest, SetsUpTheMatch) {
  EXPECT_EQ(match().Read()->ball.location.Z, 93.0f);  // a script's starting ball
  PlayAll({"game online", "server null", "canvas 640 480"});
  EXPECT_EQ(match().Read()->mode, simhost::GameMode::kOnline);
  EXPECT_TRUE(match().Read()->serverNull);
  EXPECT_EQ(match().Read()->canvasSize.X, 640);
  EXPECT_EQ(match().Read()->canvasSize.Y, 480);
  PlayAll({"game none", "server present"});
  EXPECT_EQ(match().Read()->mode, simhost::GameMode::kNone);
  EXPECT_FALSE(match().Read()->serverNull);
}

TEST_F(ScriptPlayerTest, CameraAndBallKeepTheirFieldsAcrossNull) {
  PlayAll({"camera loc=1,2,3 rot=4,5,6 fov=60", "camera null", "camera fov=70"});
  EXPECT_TRUE(match().Read()->hasCamera);
  EXPECT_EQ(match().Read()->camera.location.Y, 2.0f);
  EXPECT_EQ(match().Read()->camera.rotation.Yaw, 5);
  EXPECT_EQ(match().Read()->camera.fieldOfView, 70.0f);
  PlayAll({"camera null"});
  EXPECT_FALSE(match().Read()->hasCamera);
  EXPECT_EQ(match().Read()->camera.fieldOfView, 70.0f);

  PlayAll({"ball loc=7,8,9", "ball null"});
  EXPECT_FALSE(match().Read()->hasBall);
  PlayAll({"ball"});
  EXPECT_TRUE(match().Read()->hasBall);
  EXPECT_EQ(match().Read()->ball.location.X, 7.0f);
}

TEST_F(ScriptPlayerTest, RefusesCarsThatAreOrAreNotThere) {
  PlayAll({"car Ava", "nullcar"});
  EXPECT_EQ(Play("car Ava team=1"), Outcome::kBadLine);
  EXPECT_NE(message_.find("\"Ava\" already"), std::string::npos) << message_;
  EXPECT_EQ(match().Read()->cars().size(), 2u);
  EXPECT_EQ(car(0).playerInfo.team, 0);

  for (const char* line : {"set Zed boost=1", "local Zed", "press Zed"}) {
    EXPECT_EQ(Play(line), Outcome::kBadLine) << line;
    EXPECT_NE(message_.find("no car named \"Zed\""), std::string::npos) << message_;
  }
  EXPECT_EQ(captured_.Take(), "");  // the refused press printed nothing
}

TEST_F(ScriptPlayerTest, SetsRegisteredVariablesOnly) {
  EXPECT_EQ(Play("volume 3"), Outcome::kBadLine);
  EXPECT_NE(message_.find("\"volume\""), std::string::npos) << message_;

  simhost::Variable& volume =
      host_.console().Register("volume", "1", "Loudness", true, true, 0.0f, true, 10.0f, true);
  PlayAll({"volume 3"});
  EXPECT_EQ(volume.value, "3");
  EXPECT_EQ(captured_.Take(), "");

  // A value the console refuses is the host's message, not a bad line.
  EXPECT_EQ(Play("volume loud"), Outcome::kPlayed);
  EXPECT_EQ(volume.value, "3");
  const std::string output = captured_.Take();
  EXPECT_EQ(output.rfind("[host] ", 0), 0u) << output;

  PlayAll({"show cvars"});
  EXPECT_EQ(captured_.Take(), "[cvar] volume = 3\n");
}

// The reader cannot tell a variable from a mistyped command; the player can,
// and says what is wrong with the line.
TEST_F(ScriptPlayerTest, AVariableTakesExactlyOneValue) {
  simhost::Variable& volume =
      host_.console().Register("volume", "1", "Loudness", true, false, 0.0f, false, 0.0f, false);
  EXPECT_EQ(Play("volume"), Outcome::kBadLine);
  EXPECT_EQ(message_, "console variable \"volume\" takes exactly one value; the line gives none");
  EXPECT_EQ(Play("volume 2 3"), Outcome::kBadLine);
  EXPECT_EQ(message_, "console variable \"volume\" takes exactly one value; the line gives 2");
  EXPECT_EQ(volume.value, "1");
  EXPECT_EQ(Play("jump"), Outcome::kBadLine);
  EXPECT_EQ(message_, "unknown command or console variable \"jump\"");
  EXPECT_EQ(captured_.Take(), "");
}

TEST_F(ScriptPlayerTest, EchoesNamesCutShort) {
  const std::string name(60000, 'n');
  EXPECT_EQ(Play("set " + name + " boost=1"), Outcome::kBadLine);
  EXPECT_LT(message_.size(), 200u);
  EXPECT_NE(message_.find("(60000 bytes)"), std::string::npos) << message_;
  EXPECT_EQ(Play(name + " 1"), Outcome::kBadLine);
  EXPECT_LT(message_.size(), 200u);
}

TEST_F(ScriptPlayerTest, PressNamesTheCarItRunsFor) {
  PlayAll({"car Ava", "car Bo local", "press", "press Ava", "local none", "press"});
  EXPECT_EQ(captured_.Take(), "[press] Bo\n[press] Ava\n[press] none\n");
}

TEST_F(ScriptPlayerTest, CountsFramesOverTheWholeRun) {
  int observed = 0;
  player_.SetFrameObserver([&] { ++observed; });
  PlayAll({"frame 2", "frame 0", "frame"});
  EXPECT_EQ(captured_.Take(), "[frame] 1\n[frame] 2\n[frame] 3\n");
  EXPECT_EQ(player_.framesDrawn(), 3);
  EXPECT_EQ(observed, 2);  // once per command that drew
}

TEST_F(ScriptPlayerTest, ShowsTheCarList) {
  PlayAll({"car Ava team=3 loc=0.1,-2,1e10 vel=1,2,3 angvel=0,0,-0.5 rot=-1,2,-3 boost=33.3 "
           "nopri",
           "nullcar", "show cars"});
  EXPECT_EQ(captured_.Take(),
            "[car] 0 Ava team=3 loc=0.100000001,-2,1e+10 vel=1,2,3 angvel=0,0,-0.5 "
            "rot=-1,2,-3 boost=33.2999992\n"
            "[car] 1 null\n");
}

// A second onLoad would stack a second hook and drawable: one press would
// swap twice.
TEST_F(ScriptPlayerTest, RefusesToLoadALoadedPlugin) {
  ScriptPlayer player(host_, transcript_, vantorel_test::TestPluginModule());
  const ScriptPlayer::Result loaded = player.Play(CommandOf("plugin load"));
  ASSERT_EQ(loaded.outcome, Outcome::kPlayed) << loaded.status.message();
  captured_.Take();
  EXPECT_EQ(player.Play(CommandOf("plugin load")).outcome, Outcome::kPlayed);
  EXPECT_EQ(captured_.Take(), "[host] plugin load refused: the plugin is already loaded\n");
  EXPECT_EQ(host_.hookCount(), 1u);
  EXPECT_EQ(host_.drawableCount(), 1u);
  EXPECT_EQ(static_cast<TestPlugin*>(host_.plugin())->loads, 1);

  // Unloaded, it loads again.
  player.Play(CommandOf("plugin unload"));
  ASSERT_EQ(player.Play(CommandOf("plugin load")).outcome, Outcome::kPlayed);
  EXPECT_EQ(host_.hookCount(), 1u);
  EXPECT_EQ(captured_.Take().find("[host]"), std::string::npos);
}

TEST_F(ScriptPlayerTest, ReportsAModuleThatWillNotLoad) {
  EXPECT_EQ(Play("plugin load"), Outcome::kFailed);
  EXPECT_NE(message_.find("no-such-module"), std::string::npos) << message_;
  EXPECT_FALSE(host_.pluginLoaded());
  // Unloading without a module is refused as loading twice is: one line.
  captured_.Take();
  EXPECT_EQ(Play("plugin unload"), Outcome::kPlayed);
  EXPECT_EQ(captured_.Take(), "[host] plugin unload refused: no plugin is loaded\n");
}

}  // namespace
}  // namespace vantorel_sim
