// The script language's motion: `motion on [dt=]` / `motion off` and the
// ball's `vel=`, as read and as played.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "CarState.h"
#include "Paths.h"
#include "Grammar.h"
#include "ScriptPlayerFixture.h"

namespace vantorel_sim {
namespace {

using vantorel_test::FromBits;
using vantorel_test::CommandOf;
using vantorel_test::SameBits;

std::string ErrorOf(const std::string& line) {
  std::optional<Command> command;
  const files::Status status = ReadCommand(line, &command);
  EXPECT_FALSE(status.ok()) << line;
  return status.message();
}

// The step of a motion line: none for `motion off`.
std::optional<float> StepOf(const std::string& line) {
  const Command command = CommandOf(line);
  EXPECT_TRUE(std::holds_alternative<command::Motion>(command)) << line;
  return std::holds_alternative<command::Motion>(command) ? std::get<command::Motion>(command).step
                                                         : std::nullopt;
}

TEST(MotionReaderTest, ReadsMotionOnAndOff) {
  EXPECT_TRUE(SameBits(StepOf("motion on").value(), FromBits(0x3c888889)));  // 1/60 as a float
  EXPECT_TRUE(SameBits(StepOf("motion on dt=0.1").value(), 0.1f));
  // Time may stand still or run backwards: any finite step is a step.
  EXPECT_TRUE(SameBits(StepOf("motion on dt=-0.5").value(), -0.5f));
  EXPECT_TRUE(SameBits(StepOf("motion on  dt=0").value(), 0.0f));
  EXPECT_FALSE(StepOf("motion off").has_value());
}

TEST(MotionReaderTest, RefusesWhatIsNoMotion) {
  EXPECT_EQ(ErrorOf("motion"), "'motion' takes on or off");
  EXPECT_EQ(ErrorOf("motion sideways"), "'motion' takes on or off");
  EXPECT_EQ(ErrorOf("motion off dt=1"), "unexpected \"dt=1\" after 'motion'");
  EXPECT_EQ(ErrorOf("motion on dt=inf"),
            "malformed number \"inf\" in \"dt=inf\": not a finite decimal number");
  EXPECT_EQ(ErrorOf("motion on dt=-nan"),
            "malformed number \"-nan\" in \"dt=-nan\": not a finite decimal number");
  EXPECT_EQ(ErrorOf("motion on dt=1e39"), "number \"1e39\" out of range in \"dt=1e39\"");
  EXPECT_EQ(ErrorOf("motion on dt"), "unknown option \"dt\" for motion on");
  EXPECT_EQ(ErrorOf("motion on dt=1 dt=2"), "option \"dt\" given twice");
}

TEST(MotionReaderTest, TheBallTakesAVelocityAndTheCameraNone) {
  const auto ball = std::get<command::Ball>(CommandOf("ball vel=1.5,-2,3e2 loc=4,5,6"));
  ASSERT_TRUE(ball.velocity.has_value());
  EXPECT_TRUE(SameBits(*ball.velocity, Vector{1.5f, -2.0f, 300.0f}));
  EXPECT_TRUE(SameBits(*ball.location, Vector{4.0f, 5.0f, 6.0f}));
  EXPECT_FALSE(std::get<command::Ball>(CommandOf("ball loc=1,2,3")).velocity.has_value());
  EXPECT_EQ(ErrorOf("camera vel=1,2,3"), "unknown option \"vel\" for camera");
  EXPECT_EQ(ErrorOf("ball rot=1,2,3"), "unknown option \"rot\" for ball");
}

// A player whose `plugin load` loads the plugin module.
class MotionPlayerTest : public vantorel_test::ScriptPlayerFixture {
 protected:
  MotionPlayerTest() : ScriptPlayerFixture(vantorel_test::PluginModule()) {}

  simhost::SimCar& car(const char* name) { return *match().Read()->FindCar(name); }
};

TEST_F(MotionPlayerTest, WithMotionOffNothingMoves) {
  PlayAll({"car Ava loc=1,2,3 vel=600,-600,60", "ball loc=4,5,6 vel=100,200,300", "frame 3",
           "motion on dt=0.5", "motion off", "frame 2"});
  EXPECT_TRUE(SameBits(car("Ava").location, Vector{1.0f, 2.0f, 3.0f}));
  EXPECT_TRUE(SameBits(match().Read()->ball.location, Vector{4.0f, 5.0f, 6.0f}));
  EXPECT_TRUE(SameBits(player_.frameSeconds(), kFrameSeconds));
}

TEST_F(MotionPlayerTest, EachFrameMovesCarsAndTheBall) {
  PlayAll({"car Ava loc=0,0,17 vel=10,-20,0", "nullcar", "car Bo loc=100,0,17 vel=0,0,0.5",
           "ball loc=0,0,93 vel=1,2,3", "motion on dt=0.25", "frame 2", "show cars"});
  EXPECT_TRUE(SameBits(car("Ava").location, Vector{5.0f, -10.0f, 17.0f}));
  EXPECT_TRUE(SameBits(car("Bo").location, Vector{100.0f, 0.0f, 17.25f}));
  EXPECT_TRUE(SameBits(match().Read()->ball.location, Vector{0.5f, 1.0f, 94.5f}));
  EXPECT_TRUE(SameBits(car("Ava").velocity, Vector{10.0f, -20.0f, 0.0f}));
  // show cars prints the cars where they have gone.
  const std::string output = captured_.Take();
  EXPECT_NE(output.find("[frame] 2\n[car] 0 Ava team=0 loc=5,-10,17 vel=10,-20,0 "),
            std::string::npos)
      << output;
  // frame 0 draws nothing, so nothing moves.
  PlayAll({"frame 0"});
  EXPECT_TRUE(SameBits(car("Ava").location, Vector{5.0f, -10.0f, 17.0f}));
}

// The camera at the origin looks along +X: Bo, 1000 ahead, 100 to the right
// after one step of a second, lands at 960 + 96 on the canvas, and the
// marker's tip 30 pixels above him.
TEST_F(MotionPlayerTest, TheMarkerIsDrawnWhereTheCarHasGone) {
  PlayAll({"car Ava team=0 loc=-1000,0,0 local", "car Bo team=0 loc=1000,0,0 vel=0,100,0",
           "plugin load", "vantorel_render_enable 1", "motion on dt=1", "frame"});
  const std::string output = captured_.Take();
  EXPECT_NE(output.find("[frame] 1\n[draw] color 255 255 0 255\n"
                        "[draw] line 1044,486 1056,510 3\n"),
            std::string::npos)
      << output;
}

TEST_F(MotionPlayerTest, TheBallKeepsItsVelocityAcrossNull) {
  PlayAll({"ball loc=0,0,93 vel=60,0,0", "ball null", "motion on", "frame 6", "ball"});
  // Away, the ball did not move; back, it goes on as it was sent.
  EXPECT_TRUE(SameBits(match().Read()->ball.location, Vector{0.0f, 0.0f, 93.0f}));
  EXPECT_TRUE(SameBits(match().Read()->ball.velocity, Vector{60.0f, 0.0f, 0.0f}));
  PlayAll({"frame"});
  EXPECT_TRUE(SameBits(match().Read()->ball.location.X, 60.0f * kFrameSeconds));
}

TEST_F(MotionPlayerTest, TellsEachFrameHowLongItLasts) {
  std::vector<float> seconds;
  player_.SetEachFrameObserver([&](float s) { seconds.push_back(s); });
  PlayAll({"frame", "motion on dt=0.04", "frame 2", "motion on", "frame", "motion off", "frame"});
  ASSERT_EQ(seconds.size(), 5u);
  EXPECT_EQ(seconds[0], kFrameSeconds);
  EXPECT_EQ(seconds[1], 0.04f);
  EXPECT_EQ(seconds[2], 0.04f);
  EXPECT_EQ(seconds[3], kFrameSeconds);  // `motion on` alone: 1/60 again
  EXPECT_EQ(seconds[4], kFrameSeconds);
}

// A swap exchanges velocities as the plugin says: each car then drives on
// with the velocity it was given.
TEST_F(MotionPlayerTest, SwappedCarsDriveOnWithWhatTheyWereGiven) {
  PlayAll({"car Ava team=0 loc=0,-1000,17 vel=0,100,0 local",
           "car Bo team=0 loc=500,0,17 vel=-200,0,0", "plugin load", "vantorel_enable 1",
           "press", "motion on dt=0.5", "frame"});
  EXPECT_TRUE(SameBits(car("Ava").location, Vector{400.0f, 0.0f, 17.0f}));
  EXPECT_TRUE(SameBits(car("Ava").velocity, Vector{-200.0f, 0.0f, 0.0f}));
  EXPECT_TRUE(SameBits(car("Bo").location, Vector{0.0f, -950.0f, 17.0f}));

  // Without the velocities exchanged, each keeps its own.
  PlayAll({"vantorel_set_velocities 0", "press", "frame"});
  EXPECT_TRUE(SameBits(car("Ava").location, Vector{-100.0f, -950.0f, 17.0f}));
  EXPECT_TRUE(SameBits(car("Bo").location, Vector{400.0f, 50.0f, 17.0f}));
}

}  // namespace
}  // namespace vantorel_sim
