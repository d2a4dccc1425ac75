// Which car a press chooses: the sequential walk from the last swap, the
// best-car ranking against the ball, and who counts as a team-mate. Observed
// through the lines a press logs and the marker a frame draws.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "CarState.h"
#include "HostFixture.h"

namespace vantorel_test {
namespace {

class CandidateTest : public PluginFixture {
 protected:
  void SetUp() override {
    PluginFixture::SetUp();
    Set("vantorel_enable", "1");
    match().Edit()->ball.location = Vector{0, 0, 0};
  }

  // Draws a frame with the overlay on and returns the owner of the car the
  // marker stands over ("" when nothing was drawn). Every car that may be
  // chosen needs a screen point of its own.
  std::string MarkedCar() {
    Set("vantorel_render_enable", "1");
    Frame();
    if (listener_.lineCount != 3) return "";
    const auto& draws = listener_.draws;
    const auto first = std::find_if(draws.begin(), draws.end(), [](const simhost::DrawCall& call) {
      return call.kind == simhost::DrawCall::Kind::kLine;
    });
    const Vector2 tip = first->end;
    for (const auto& car : match().Read()->cars()) {
      if (car && car->screenPoint && car->screenPoint->X == tip.X &&
          car->screenPoint->Y - 30 == tip.Y) {
        return car->owner;
      }
    }
    return "?";
  }
};

// ---------------------------------------------------------------------------
// One press on a list of cars, in either mode: what it logs, which index it
// stores and whose place the player's car takes.

// A car of a case's list. "me" is the local player's; a null owner stands
// for a null entry of the list.
struct ListedCar {
  const char* owner;
  int team = 0;
  Vector location = {};
};

struct PressCase {
  const char* name;
  bool sequential;
  std::vector<ListedCar> cars;
  std::int32_t lastSwap;    // the index stored before the press
  Lines search;             // what the press logs after its search's first line
  std::int32_t stored;      // the index stored after the press
  const char* swappedWith;  // whose location "me" takes; null: nothing moves
  bool hasBall = true;
};

void PrintTo(const PressCase& c, std::ostream* os) { *os << c.name; }

class PressTest : public CandidateTest, public ::testing::WithParamInterface<PressCase> {};

TEST_P(PressTest, LogsItsSearchStoresTheIndexAndSwaps) {
  const PressCase& c = GetParam();
  Set("vantorel_sequential_swap", c.sequential ? "1" : "0");
  match().Edit()->hasBall = c.hasBall;
  std::map<std::string, Vector> expected;
  for (const ListedCar& car : c.cars) {
    if (car.owner == nullptr) {
      match().Edit()->AddNullCar();
      continue;
    }
    AddCar(car.owner, car.team, car.location);
    expected[car.owner] = car.location;
  }
  simhost::SimCar* me = match().Read()->FindCar("me");
  match().Edit()->localCar = me;
  plugin().lastSwapIndex = c.lastSwap;
  if (c.swappedWith != nullptr) std::swap(expected["me"], expected[c.swappedWith]);

  EXPECT_EQ(Press(), PressLog(c.sequential ? "sequential car" : "best car", c.search));
  EXPECT_EQ(lastSwapIndex(), c.stored);
  for (const auto& [owner, location] : expected) {
    EXPECT_TRUE(SameBits(match().Read()->FindCar(owner)->location, location)) << owner;
  }
}

const PressCase kPresses[] = {
    // The sequential walk counts offsets from the last swap, wraps round and
    // passes over the player's own car.
    {"CountsOffsetsFromTheLastSwapAndPassesOverTheOwnCar", true,
     {{"mate", 0, {100, 0, 0}}, {"opp1", 1}, {"opp2", 1}, {"me", 0, {-100, 0, 0}}}, 2,
     {"Inspecting car: 1", "Inspecting car: 2", "Car Valid", "Next Car 2 Found"}, 0, "mate"},
    {"WithoutTeamMateWalksEveryOffsetAndFallsBackToFirstCar", true,
     {{"opp", 1, {7, 0, 0}}, {"me", 0, {-7, 0, 0}}, {"opp2", 1}}, 1,
     {"Inspecting car: 1", "Inspecting car: 2", "Inspecting car: 3"}, 0, "opp"},
    // (5 + 1) % 3 == 0
    {"LastIndexBeyondShrunkListStartsAtItsRemainder", true,
     {{"a", 0, {1, 0, 0}}, {"me", 0}, {"b", 0, {2, 0, 0}}}, 5,
     {"Inspecting car: 1", "Car Valid", "Next Car 1 Found"}, 0, "a"},
    // The walk starts at index 1, the null entry.
    {"NullCarBeforeFirstTeamMateEndsTheSearch", true,
     {{"me", 0, {1, 2, 3}}, {nullptr}, {"mate", 0, {4, 5, 6}}}, 3,
     {"Inspecting car: 1", "Bad carArray in FindCandidateSwitchCar Sequential",
      "Bad car2 index in SwapCar"},
     3, nullptr},
    // The ball lies behind "behind" (angle pi) and straight ahead of "ahead".
    {"FacingTheBallBeatsBeingNearer", false,
     {{"me", 0, {0, 5000, 0}}, {"behind", 0, {500, 0, 0}}, {"ahead", 0, {-1000, 0, 0}},
      {"opp", 1, {-10, 0, 0}}},
     0,
     {"Inspecting car: 0", "Inspecting car: 1",
      "Car Valid. Ang: 3.141593 (1.000000) Mag: 500.000000 (0.050000)", "New Nearest Car 1 Found",
      "Inspecting car: 2", "Car Valid. Ang: 0.000000 (0.000000) Mag: 1000.000000 (0.100000)",
      "New Nearest Car 2 Found", "Inspecting car: 3"},
     2, "ahead"},
    {"NullCarAfterBestFoundFailsTheSearch", false,
     {{"me", 0, {0, 5000, 0}}, {"mate", 0, {-1000, 0, 0}}, {nullptr}}, 2,
     {"Inspecting car: 0", "Inspecting car: 1",
      "Car Valid. Ang: 0.000000 (0.000000) Mag: 1000.000000 (0.100000)", "New Nearest Car 1 Found",
      "Inspecting car: 2", "Bad carArray in FindCandidateSwitchCar Intelligent",
      "Bad car2 index in SwapCar"},
     2, nullptr},
    {"NullBallFailsBeforeAnyCar", false, {{"me", 0, {0, 5000, 0}}, {"mate", 0, {-1000, 0, 0}}}, 0,
     {"Bad ball in FindCandidateSwitchCar Intelligent", "Bad car2 index in SwapCar"}, 0, nullptr,
     false},
};

INSTANTIATE_TEST_SUITE_P(Lists, PressTest, ::testing::ValuesIn(kPresses),
                         [](const ::testing::TestParamInfo<PressCase>& info) {
                           return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------
// Sequential walk over several presses

using SequentialWalkTest = CandidateTest;

TEST_F(SequentialWalkTest, SuccessivePressesCycleThroughTheTeam) {
  Set("vantorel_sequential_swap", "1");
  AddLocal("me", 0);
  AddCar("a", 0);
  AddCar("b", 0);
  AddCar("opp", 1);

  Press();
  EXPECT_EQ(lastSwapIndex(), 1);
  Press();
  EXPECT_EQ(lastSwapIndex(), 2);
  // From 2: the opponent at 3, the own car at 0, then a at 1.
  EXPECT_EQ(Press(), PressLog("sequential car", {"Inspecting car: 1", "Inspecting car: 2",
                                                 "Inspecting car: 3", "Car Valid",
                                                 "Next Car 3 Found"}));
  EXPECT_EQ(lastSwapIndex(), 1);
}

TEST_F(SequentialWalkTest, NullCarAfterFirstTeamMateIsNotReached) {
  Set("vantorel_sequential_swap", "1");
  AddLocal("me", 0, {1, 2, 3});
  AddCar("mate", 0, {4, 5, 6});
  match().Edit()->AddNullCar();

  EXPECT_EQ(Press(), PressLog("sequential car",
                              {"Inspecting car: 1", "Car Valid", "Next Car 1 Found"}));
  EXPECT_EQ(localCar()->location.X, 4);

  // Silent in a frame too: the marker over the next team-mate, none other.
  match().Edit()->FindCar("mate")->screenPoint = Vector2{300, 500};
  localCar()->screenPoint = Vector2{600, 500};
  plugin().lastSwapIndex = 0;
  EXPECT_EQ(MarkedCar(), "mate");
  EXPECT_TRUE(logs().empty()) << logs().front();
}

// ---------------------------------------------------------------------------
// Who counts as a team-mate, in either mode

// An opponent, the player in team 255, and after them a car of team 255
// without player information: the host reports team 255 for such a car,
// which must not pass for a team-mate of a player in team 255.
class TeamFilterTest : public CandidateTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    CandidateTest::SetUp();
    Set("vantorel_sequential_swap", GetParam() ? "1" : "0");
    opp_ = &AddCar("opp", 1, {500, 0, 0});
    me_ = &AddLocal("me", 255, {-500, 0, 0});
    ghost_ = &AddCar("ghost", 255, {1000, 0, 0});
    ghost_->hasPlayerInfo = false;
  }

  // Presses and checks that no car qualified: the choice fell back to the
  // first car, the opponent, and the ghost stayed where it was.
  void PressFindsNoTeamMate() {
    for (const std::string& line : Press()) {
      EXPECT_NE(line.rfind("Car Valid", 0), 0u) << line;
    }
    EXPECT_EQ(lastSwapIndex(), 0);
    EXPECT_EQ(me_->location.X, 500);
    EXPECT_EQ(opp_->location.X, -500);
    EXPECT_EQ(ghost_->location.X, 1000);
  }

  simhost::SimCar* opp_ = nullptr;
  simhost::SimCar* me_ = nullptr;
  simhost::SimCar* ghost_ = nullptr;
};

TEST_P(TeamFilterTest, CarWithoutPlayerInfoNeverQualifies) { PressFindsNoTeamMate(); }

TEST_P(TeamFilterTest, PlayerWithoutPlayerInfoHasNoTeamMates) {
  me_->hasPlayerInfo = false;
  simhost::SimCar& other = AddCar("other", 255, {2000, 0, 0});
  simhost::SimCar& zero = AddCar("zero", 0, {3000, 0, 0});

  PressFindsNoTeamMate();
  EXPECT_EQ(other.location.X, 2000);
  EXPECT_EQ(zero.location.X, 3000);
}

INSTANTIATE_TEST_SUITE_P(BothModes, TeamFilterTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Sequential" : "BestCar";
                         });

// ---------------------------------------------------------------------------
// Best-car ranking

using BestCarTest = CandidateTest;

TEST_F(BestCarTest, DistanceWeightSetsTheBalanceFromTheNextFrameOn) {
  AddLocal("me", 0, {0, 5000, 0}).screenPoint = Vector2{100, 500};
  // Scores (angle / pi, distance / 10000): facing (0, 0.9), near (1, 0.01),
  // across (0.5, 0.1).
  AddCar("facing", 0, {-9000, 0, 0}).screenPoint = Vector2{200, 500};
  AddCar("near", 0, {100, 0, 0}).screenPoint = Vector2{300, 500};
  AddCar("across", 0, {0, -1000, 0}).screenPoint = Vector2{400, 500};

  EXPECT_EQ(MarkedCar(), "across");  // 0.45, 0.505, 0.3
  Set("vantorel_swap_distanceweight", "0");
  EXPECT_EQ(MarkedCar(), "facing");
  Set("vantorel_swap_distanceweight", "1");
  EXPECT_EQ(MarkedCar(), "near");
  Set("vantorel_swap_distanceweight", "0.9");
  EXPECT_EQ(MarkedCar(), "near");  // 0.81, 0.109, 0.14
  EXPECT_TRUE(logs().empty()) << logs().front();
}

TEST_F(BestCarTest, CarOnTheBallIsNeverChosen) {
  AddLocal("me", 0, {0, 5000, 0});
  AddCar("onball", 0, {0, 0, 0});
  simhost::SimCar& far = AddCar("far", 0, {-9999, 0, 0}, {0, 16384, 0});

  const Lines lines = Press();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[3], "Inspecting car: 1");
  EXPECT_EQ(lines[4].rfind("Car Valid. Ang: ", 0), 0u) << lines[4];
  EXPECT_NE(lines[4].find(") Mag: 0.000000 (0.000000)"), std::string::npos) << lines[4];
  EXPECT_EQ(lines[5], "Inspecting car: 2");
  EXPECT_EQ(lines[7], "New Nearest Car 2 Found");
  EXPECT_EQ(lastSwapIndex(), 2);
  EXPECT_EQ(far.location.Y, 5000);
}

TEST_F(BestCarTest, OnlyCarOnTheBallFallsBackToFirstCar) {
  simhost::SimCar& opp = AddCar("opp", 1, {300, 0, 0});
  simhost::SimCar& me = AddLocal("me", 0, {0, 5000, 0});
  simhost::SimCar& onBall = AddCar("onball", 0, {0, 0, 0});

  const Lines lines = Press();
  for (const std::string& line : lines) {
    EXPECT_NE(line.rfind("New Nearest Car", 0), 0u) << line;
  }
  EXPECT_EQ(lines.back().rfind("Car Valid. Ang: ", 0), 0u) << lines.back();
  EXPECT_EQ(lastSwapIndex(), 0);
  EXPECT_EQ(me.location.X, 300);
  EXPECT_EQ(opp.location.Y, 5000);
  EXPECT_EQ(onBall.location.X, 0);
}

TEST_F(BestCarTest, TieKeepsTheLowerIndex) {
  AddLocal("me", 0, {0, 5000, 0});
  AddCar("opp", 1, {-2000, 0, 0});
  // Mirror images about the X axis, each turned towards the ball.
  AddCar("left", 0, {-1000, -700, 0}, {0, 6000, 0});
  AddCar("right", 0, {-1000, 700, 0}, {0, -6000, 0});

  // Only the first of the two logs a new best, and it stays the choice.
  const Lines lines = Press();
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[6], "New Nearest Car 2 Found");
  EXPECT_EQ(lines[7], "Inspecting car: 3");
  EXPECT_EQ(lines[8].rfind("Car Valid. Ang: ", 0), 0u) << lines[8];
  EXPECT_EQ(lines[8], lines[5]);
  EXPECT_EQ(lastSwapIndex(), 2);
  EXPECT_EQ(localCar()->location.Y, -700);
}

// A player whose car is not in the game's car list.
class EmptyListTest : public CandidateTest {
 protected:
  void SetUp() override {
    CandidateTest::SetUp();
    loner_.match = &match();
    loner_.playerInfo.match = &match();
    loner_.boostComponent.match = &match();
    loner_.owner = "me";
    loner_.location = Vector{1, 2, 3};
    match().Edit()->localCar = &loner_;
  }
  void TearDown() override { match().Edit()->localCar = nullptr; }

  simhost::SimCar loner_;
};

TEST_F(EmptyListTest, BestCarTestsTheBallFirst) {
  match().Edit()->hasBall = false;
  EXPECT_EQ(Press(), PressLog("best car", {"Bad ball in FindCandidateSwitchCar Intelligent",
                                           "Bad car2 index in SwapCar"}));
  match().Edit()->hasBall = true;
  EXPECT_EQ(Press(), PressLog("best car", {"Bad car2 index in SwapCar"}));
  EXPECT_EQ(lastSwapIndex(), 0);
  EXPECT_EQ(loner_.location.Z, 3);
}

TEST_F(EmptyListTest, SequentialFindsNothing) {
  Set("vantorel_sequential_swap", "1");
  EXPECT_EQ(Press(), PressLog("sequential car", {"Bad car2 index in SwapCar"}));
}

// ---------------------------------------------------------------------------
// The score line: every digit depends on the float arithmetic of the score.

struct ScoreCase {
  const char* what;
  Vector location;  // of the candidate; the ball stands at the origin
  Rotator rotation;
  const char* line;
};

// Expected lines worked out with exact arithmetic: each float operation
// rounded once to the nearest float, the sine, cosine and arc cosine
// correctly rounded. From the fourth on they are rotations and places where
// the float functions of common C libraries are off by one unit in the last
// place, and the printed digits show it.
const ScoreCase kScoreCases[] = {
    {"right angle", {0, -2500, 0}, {0, 0, 0},
     "Car Valid. Ang: 1.570796 (0.500000) Mag: 2500.000000 (0.250000)"},
    {"straight ahead", {-1000, 0, 0}, {0, 0, 0},
     "Car Valid. Ang: 0.000000 (0.000000) Mag: 1000.000000 (0.100000)"},
    {"straight behind", {500, 0, 0}, {0, 0, 0},
     "Car Valid. Ang: 3.141593 (1.000000) Mag: 500.000000 (0.050000)"},
    {"cosine of yaw", {806, -592, 0}, {0, -38152, 0},
     "Car Valid. Ang: 0.117317 (0.037343) Mag: 1000.049988 (0.100005)"},
    {"sine of yaw", {701, -713, 0}, {0, -39952, 0},
     "Car Valid. Ang: 0.105127 (0.033463) Mag: 999.885010 (0.099988)"},
    {"sine of pitch; roll unused", {-1765, -917, -208}, {1130, 5000, -20000},
     "Car Valid. Ang: 0.004158 (0.001323) Mag: 1999.844482 (0.199984)"},
    {"arc cosine", {-3000, 1803, 0}, {0, 0, 0},
     "Car Valid. Ang: 0.541154 (0.172255) Mag: 3500.115479 (0.350012)"},
    // The facing's length rounds to just below 1; dividing by it shows.
    {"normalised facing", {-1997, 101, 0}, {0, 101, 0},
     "Car Valid. Ang: 0.060216 (0.019167) Mag: 1999.552490 (0.199955)"},
};

TEST_F(BestCarTest, ScoreLinesCarryCorrectlyRoundedTrigonometry) {
  simhost::SimCar& me = AddLocal("me", 0);
  simhost::SimCar& mate = AddCar("mate", 0);
  for (const ScoreCase& c : kScoreCases) {
    SCOPED_TRACE(c.what);
    me.location = Vector{0, 5000, 0};
    mate.location = c.location;
    mate.rotation = c.rotation;
    const Lines lines = Press();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[4], c.line);
    EXPECT_EQ(lines[5], "New Nearest Car 1 Found");
  }
}

}  // namespace
}  // namespace vantorel_test
