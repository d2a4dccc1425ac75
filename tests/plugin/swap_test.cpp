// A press of the pickup button: when it is refused, which car it takes, and
// what the two cars exchange.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>

#include "CarState.h"
#include "HostFixture.h"

namespace vantorel_test {
namespace {

constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();

// Values a careless copy would not keep: signed zeros, subnormals, the
// extremes, infinities and NaNs with payloads.
CarState PlayerState() {
  return CarState{
      {-0.0f, std::numeric_limits<float>::min(), std::numeric_limits<float>::max()},
      {FromBits(0x00000001), -2.5e-39f, FromBits(0x7fc12345)},
      {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(), 0.1f},
      {kMinInt, kMaxInt, -1},
      FromBits(0xffc00001)};
}

CarState OtherState() {
  return CarState{{FromBits(0x80000001), -std::numeric_limits<float>::max(), 123456.789f},
                  {-0.0f, 0.0f, -1e30f},
                  {5.5f, FromBits(0xfff54321), -0.0f},
                  {-32768, 65535, kMinInt},
                  -0.0f};
}

class SwapTest : public PluginFixture {
 protected:
  void SetUp() override {
    PluginFixture::SetUp();
    Set("vantorel_enable", "1");
    // The walk from index 0 takes the team-mate at 1 whatever the cars hold,
    // so any value may stand in any field.
    Set("vantorel_sequential_swap", "1");
  }

  // The player at 0 and a team-mate at 1, holding the two states above,
  // and `lastSwap` the last swap's index.
  void AddPair(std::int32_t lastSwap = 0) {
    me_ = &AddLocal("me", 0);
    mate_ = &AddCar("mate", 0);
    SetState(*me_, PlayerState());
    SetState(*mate_, OtherState());
    plugin().lastSwapIndex = lastSwap;
    pairLastSwap_ = lastSwap;
  }

  // Quantities each car may keep through a swap, or get back from a second.
  enum Kept { kNothing = 0, kVelocities = 1, kRotation = 2, kBoost = 4, kLocation = 8 };

  // Checks that each car of the pair holds what `kept` names of its own
  // state above and everything else of the other's.
  void ExpectSwappedKeeping(int kept) {
    CarState me = OtherState();
    CarState mate = PlayerState();
    if (kept & kVelocities) {
      std::swap(me.velocity, mate.velocity);
      std::swap(me.angularVelocity, mate.angularVelocity);
    }
    if (kept & kRotation) std::swap(me.rotation, mate.rotation);
    if (kept & kBoost) std::swap(me.boost, mate.boost);
    if (kept & kLocation) std::swap(me.location, mate.location);
    ExpectState(*me_, me);
    ExpectState(*mate_, mate);
  }

  // Checks that neither car of the pair changed and that the last swap
  // stayed where AddPair put it.
  void ExpectNotSwapped() {
    ExpectState(*me_, PlayerState());
    ExpectState(*mate_, OtherState());
    EXPECT_EQ(lastSwapIndex(), pairLastSwap_);
  }

  // What a press that chooses the team-mate at 1 logs.
  static Lines ChoseMate() {
    return PressLog("sequential car", {"Inspecting car: 1", "Car Valid", "Next Car 1 Found"});
  }

  simhost::SimCar* me_ = nullptr;
  simhost::SimCar* mate_ = nullptr;
  std::int32_t pairLastSwap_ = 0;
};

// ---------------------------------------------------------------------------
// The exchange

TEST_F(SwapTest, ExchangesEveryQuantityBitForBit) {
  AddPair();
  EXPECT_EQ(Press(), ChoseMate());
  EXPECT_EQ(lastSwapIndex(), 1);
  ExpectSwappedKeeping(kNothing);
}

TEST_F(SwapTest, VelocitiesOffKeepsVelocityAndAngularVelocity) {
  AddPair();
  Set("vantorel_set_velocities", "0");
  EXPECT_EQ(Press(), ChoseMate());
  ExpectSwappedKeeping(kVelocities);
}

TEST_F(SwapTest, RotationOffKeepsRotations) {
  AddPair();
  Set("vantorel_set_rotation", "0");
  EXPECT_EQ(Press(), ChoseMate());
  ExpectSwappedKeeping(kRotation);
}

TEST_F(SwapTest, BoostOffNeverAsksForBoostComponents) {
  AddPair();
  Set("vantorel_set_boost", "0");
  mate_->hasBoostComponent = false;  // would end the press if it were asked for
  EXPECT_EQ(Press(), ChoseMate());
  ExpectSwappedKeeping(kBoost);
}

TEST_F(SwapTest, AllSettingsOffExchangesLocationsOnly) {
  AddPair();
  Set("vantorel_set_velocities", "0");
  Set("vantorel_set_rotation", "0");
  Set("vantorel_set_boost", "0");
  EXPECT_EQ(Press(), ChoseMate());
  ExpectSwappedKeeping(kVelocities | kRotation | kBoost);

  // Turned back on, they apply from the next press: the locations go back,
  // everything else moves for the first time.
  Set("vantorel_set_velocities", "1");
  Set("vantorel_set_rotation", "1");
  Set("vantorel_set_boost", "1");
  plugin().lastSwapIndex = 0;
  EXPECT_EQ(Press(), ChoseMate());
  ExpectSwappedKeeping(kLocation);
}

// A missing boost component ends the press after everything else moved.
class MissingBoostTest : public SwapTest, public ::testing::WithParamInterface<bool> {};

TEST_P(MissingBoostTest, EndsThePressAfterTheOtherExchanges) {
  AddPair();
  (GetParam() ? me_ : mate_)->hasBoostComponent = false;

  Lines expected = ChoseMate();
  expected.push_back("Bad boost in SwapCar");
  EXPECT_EQ(Press(), expected);
  EXPECT_EQ(lastSwapIndex(), 1);
  ExpectSwappedKeeping(kBoost);
}

INSTANTIATE_TEST_SUITE_P(EitherCar, MissingBoostTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Player" : "TeamMate";
                         });

// ---------------------------------------------------------------------------
// Refusals: nothing moves, the last swap stays.

TEST_F(SwapTest, DisabledPluginRefusesWithOwnerName) {
  AddPair(1);
  Set("vantorel_enable", "0");
  EXPECT_EQ(Press(), (Lines{"Swap pressed but mod disabled. Owner: me"}));
  ExpectNotSwapped();

  // Enabled at the console: the very next press swaps.
  Set("vantorel_enable", "1");
  plugin().lastSwapIndex = 0;
  EXPECT_EQ(Press(), ChoseMate());
  EXPECT_TRUE(SameBits(me_->location, OtherState().location));
}

TEST_F(SwapTest, NoHostedGameRefusesAsDisabled) {
  AddPair(1);
  for (simhost::GameMode mode : {simhost::GameMode::kOnline, simhost::GameMode::kNone}) {
    match().Edit()->mode = mode;
    EXPECT_EQ(Press(), (Lines{"Swap pressed but mod disabled. Owner: me"}));
  }
  ExpectNotSwapped();
}

TEST_F(SwapTest, ControllerWithoutCarRefusesEnabledOrNot) {
  AddPair(1);
  EXPECT_EQ(Press(nullptr), (Lines{"Swap pressed but null car"}));
  Set("vantorel_enable", "0");
  EXPECT_EQ(Press(nullptr), (Lines{"Swap pressed but null car"}));
  match().Edit()->mode = simhost::GameMode::kNone;
  EXPECT_EQ(Press(nullptr), (Lines{"Swap pressed but null car"}));
  ExpectNotSwapped();
}

TEST_F(SwapTest, EmptyOwnerNameLeavesTheBlank) {
  simhost::SimCar& nameless = AddLocal("", 0, {1, 0, 0});
  AddCar("mate", 0, {2, 0, 0});
  Lines expected = ChoseMate();
  expected[0] = "Swap pressed. Owner: ";
  EXPECT_EQ(Press(), expected);
  EXPECT_EQ(nameless.location.X, 2);
  Set("vantorel_enable", "0");
  EXPECT_EQ(Press(), (Lines{"Swap pressed but mod disabled. Owner: "}));
}

// The host says a game runs here but hands out no game event for it.
TEST_F(SwapTest, HostedGameWithoutServerEndsThePress) {
  AddPair(1);
  match().Edit()->serverNull = true;
  EXPECT_EQ(Press(), (Lines{"Swap pressed. Owner: me", "Bad server in SwapCar"}));
  ExpectNotSwapped();

  // Same in best-car mode, which asks for the ball of that event.
  Set("vantorel_sequential_swap", "0");
  EXPECT_EQ(Press(), (Lines{"Swap pressed. Owner: me", "Bad server in SwapCar"}));
  ExpectNotSwapped();
}

// ---------------------------------------------------------------------------
// The candidate index

TEST_F(SwapTest, FailedSearchIsABadIndexAndKeepsTheLastSwap) {
  AddPair(1);
  Set("vantorel_sequential_swap", "0");
  match().Edit()->hasBall = false;
  EXPECT_EQ(Press(), PressLog("best car", {"Bad ball in FindCandidateSwitchCar Intelligent",
                                           "Bad car2 index in SwapCar"}));
  ExpectNotSwapped();
}

// The car list is live: a car may leave between the search and the fetch.
TEST_F(SwapTest, CarGoneAfterTheSearchKeepsTheNewIndex) {
  AddPair();
  AddCar("third", 0, {3, 3, 3});
  std::unique_ptr<simhost::SimCar> gone;
  listener_.onLog = [&](const std::string& line) {
    if (line != "Next Car 1 Found") return;
    gone = match().Edit()->RemoveCar(1);
  };

  Lines expected = ChoseMate();
  expected.push_back("Bad car2 in SwapCar");
  EXPECT_EQ(Press(), expected);
  listener_.onLog = nullptr;
  ASSERT_NE(gone, nullptr);
  EXPECT_EQ(lastSwapIndex(), 1);
  ExpectState(*me_, PlayerState());
  ExpectState(*gone, OtherState());
}

TEST_F(SwapTest, WithoutTeamMateSwapsWithTheFirstCar) {
  simhost::SimCar& opp = AddCar("opp", 1);
  SetState(opp, OtherState());
  me_ = &AddLocal("me", 0);
  SetState(*me_, PlayerState());
  plugin().lastSwapIndex = 1;

  EXPECT_EQ(Press(), PressLog("sequential car", {"Inspecting car: 1", "Inspecting car: 2"}));
  EXPECT_EQ(lastSwapIndex(), 0);
  ExpectState(*me_, OtherState());
  ExpectState(opp, PlayerState());
}

// The fallback may name the player's own car: every quantity is written back
// as it was read, in either mode.
TEST_F(SwapTest, FallbackToOwnCarChangesNothing) {
  for (const char* sequential : {"1", "0"}) {
    SCOPED_TRACE(sequential);
    Set("vantorel_sequential_swap", sequential);
    if (match().Read()->cars().empty()) {
      me_ = &AddLocal("me", 0);
      AddCar("opp", 1, {500, 0, 0});
    }
    SetState(*me_, PlayerState());
    plugin().lastSwapIndex = 1;

    const Lines lines = Press();
    for (const std::string& line : lines) EXPECT_EQ(line.find("Bad"), std::string::npos) << line;
    EXPECT_EQ(lastSwapIndex(), 0);
    ExpectState(*me_, PlayerState());
  }
}

}  // namespace
}  // namespace vantorel_test
