// The overlay: the yellow triangle over the car the next press would choose,
// when it is drawn, where, and what a frame logs.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "HostFixture.h"

namespace vantorel_test {
namespace {

constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();

const char kYellow[] = "color 255 255 0 255";

class OverlayTest : public PluginFixture {
 protected:
  void SetUp() override {
    PluginFixture::SetUp();
    Set("vantorel_render_enable", "1");
    match().Edit()->ball.location = Vector{0, 0, 0};
    me_ = &AddLocal("me", 0, {0, 5000, 0});
    mate_ = &AddCar("mate", 0, {-1000, 0, 0});
    AddCar("opp", 1, {-500, 0, 0});
  }

  // Draws a frame with the mate's location projected to (x, y).
  Lines FrameAt(std::int32_t x, std::int32_t y) {
    mate_->screenPoint = Vector2{x, y};
    return Frame();
  }

  // Draws `frames` frames with the mate at (500, 400); each must draw
  // nothing and log `logged`, by default nothing at all.
  void ExpectBlankFrames(int frames, const Lines& logged = {}) {
    for (int frame = 0; frame < frames; ++frame) {
      EXPECT_TRUE(FrameAt(500, 400).empty());
      EXPECT_EQ(logs(), logged);
    }
  }

  simhost::SimCar* me_ = nullptr;
  simhost::SimCar* mate_ = nullptr;
};

// The marker's calls for a projected point, worked out without overflow and
// each corner brought into the 32-bit range; by default with the icon size,
// icon height and line thickness the settings start with.
Lines Marker(std::int64_t x, std::int64_t y, std::int64_t size = 12, std::int64_t height = 15,
             int width = 3) {
  auto clamp = [](std::int64_t v) {
    return std::to_string(std::min<std::int64_t>(std::max<std::int64_t>(v, kMinInt), kMaxInt));
  };
  auto point = [&](std::int64_t px, std::int64_t py) { return clamp(px) + "," + clamp(py); };
  const std::int64_t tipY = y - 2 * height;
  const std::string tip = point(x, tipY);
  const std::string left = point(x - size, tipY - 2 * size);
  const std::string right = point(x + size, tipY - 2 * size);
  const std::string w = " " + std::to_string(width);
  return {kYellow, "line " + left + " " + tip + w, "line " + tip + " " + right + w,
          "line " + right + " " + left + w};
}

// ---------------------------------------------------------------------------
// Geometry

TEST_F(OverlayTest, DrawsTriangleAboveTheNextCar) {
  EXPECT_EQ(FrameAt(500, 400), (Lines{kYellow, "line 488,346 500,370 3",
                                      "line 500,370 512,346 3", "line 512,346 488,346 3"}));
  EXPECT_TRUE(logs().empty()) << logs().front();
  // The same every frame.
  EXPECT_EQ(Frame(), Marker(500, 400));
}

TEST_F(OverlayTest, TipOnTheCanvasCornerIsDrawn) {
  EXPECT_EQ(FrameAt(0, 30), (Lines{kYellow, "line -12,-24 0,0 3", "line 0,0 12,-24 3",
                                   "line 12,-24 -12,-24 3"}));
}

TEST_F(OverlayTest, OnlyTheTipMustLieOnTheCanvasBoundsIncluded) {
  struct Case {
    std::int32_t x, y;
    bool drawn;
  };
  // Canvas 1920 x 1080, the tip 30 pixels above the point.
  const Case cases[] = {
      {-1, 400, false},  {0, 400, true},      {1920, 400, true},  {1921, 400, false},
      {500, 29, false},  {500, 30, true},     {500, 1110, true},  {500, 1111, false},
      {1920, 1110, true}, {-1, 29, false},    {1921, 1111, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FrameAt(c.x, c.y), c.drawn ? Marker(c.x, c.y) : Lines{}) << c.x << "," << c.y;
  }
  EXPECT_TRUE(logs().empty()) << logs().front();
}

TEST_F(OverlayTest, CanvasSizeIsReadEveryFrame) {
  match().Edit()->canvasSize = Vector2{640, 480};
  EXPECT_TRUE(FrameAt(641, 100).empty());
  EXPECT_TRUE(FrameAt(100, 511).empty());
  EXPECT_EQ(FrameAt(640, 510), Marker(640, 510));
}

TEST_F(OverlayTest, SettingsApplyFromTheNextFrame) {
  Set("vantorel_render_iconheight", "0");
  EXPECT_EQ(FrameAt(500, 400), (Lines{kYellow, "line 488,376 500,400 3",
                                      "line 500,400 512,376 3", "line 512,376 488,376 3"}));
  Set("vantorel_render_iconsize", "40");
  Set("vantorel_render_iconheight", "40");
  Set("vantorel_render_thickness", "5");
  EXPECT_EQ(Frame(), (Lines{kYellow, "line 460,240 500,320 5", "line 500,320 540,240 5",
                            "line 540,240 460,240 5"}));
  // Above its maximum the console clamps: the same marker.
  Set("vantorel_render_iconsize", "1000");
  EXPECT_EQ(Frame(), Marker(500, 400, 40, 40, 5));
}

// ---------------------------------------------------------------------------
// Switches: nothing drawn, nothing logged

TEST_F(OverlayTest, RenderOffDrawsNothingInOrOutOfAGame) {
  Set("vantorel_render_enable", "0");
  match().Edit()->serverNull = true;  // would be logged if the frame got that far
  match().Edit()->hasCamera = false;
  for (simhost::GameMode mode :
       {simhost::GameMode::kHosted, simhost::GameMode::kOnline, simhost::GameMode::kNone}) {
    match().Edit()->mode = mode;
    ExpectBlankFrames(1);
  }
}

TEST_F(OverlayTest, OutsideAGameDrawsNothing) {
  match().Edit()->mode = simhost::GameMode::kNone;
  match().Edit()->hasCamera = false;
  match().Edit()->hasBall = false;
  ExpectBlankFrames(1);
}

TEST_F(OverlayTest, RenderNextOffDrawsNothingWhateverRenderSelected) {
  Set("vantorel_render_next", "0");
  match().Edit()->hasBall = false;  // the search would log its failure
  for (const char* selected : {"0", "1"}) {
    SCOPED_TRACE(selected);
    Set("vantorel_render_selected", selected);
    ExpectBlankFrames(1);
  }
  Set("vantorel_render_next", "1");
  match().Edit()->hasBall = true;
  EXPECT_EQ(Frame(), Marker(500, 400));
}

// ---------------------------------------------------------------------------
// Failures: a line per frame, nothing drawn

TEST_F(OverlayTest, NullServerLogsEveryFrameAndNeverTheCamera) {
  match().Edit()->serverNull = true;
  match().Edit()->hasCamera = false;
  ExpectBlankFrames(3, {"Bad server in Render"});
  match().Edit()->mode = simhost::GameMode::kOnline;
  ExpectBlankFrames(1, {"Bad server in Render"});
}

TEST_F(OverlayTest, NullCameraLogsEveryFrame) {
  match().Edit()->hasCamera = false;
  ExpectBlankFrames(3, {"Bad camera in Render"});
}

TEST_F(OverlayTest, NoLocalCarDrawsNothing) {
  match().Edit()->localCar = nullptr;
  ExpectBlankFrames(1);
}

TEST_F(OverlayTest, FailedSearchLogsItsLineOncePerFrame) {
  match().Edit()->hasBall = false;
  ExpectBlankFrames(3, {"Bad ball in FindCandidateSwitchCar Intelligent"});
}

TEST_F(OverlayTest, NullCarInTheListFailsTheBestCarSearch) {
  match().Edit()->AddNullCar();
  ExpectBlankFrames(1, {"Bad carArray in FindCandidateSwitchCar Intelligent"});
}

TEST_F(OverlayTest, NullCarBeforeTheNextTeamMateFailsTheSequentialWalk) {
  Set("vantorel_sequential_swap", "1");
  match().Edit()->AddNullCar();
  plugin().lastSwapIndex = 2;  // opp at 2, then the null car at 3
  ExpectBlankFrames(2, {"Bad carArray in FindCandidateSwitchCar Sequential"});
  // From 0 the walk meets the mate first and never reaches it.
  plugin().lastSwapIndex = 0;
  EXPECT_EQ(Frame(), Marker(500, 400));
  EXPECT_TRUE(logs().empty()) << logs().front();
}

// ---------------------------------------------------------------------------
// Which car is marked

TEST_F(OverlayTest, WithoutTeamMateMarksTheFirstCarEvenTheOwn) {
  mate_->playerInfo.team = 1;
  me_->screenPoint = Vector2{100, 100};
  EXPECT_EQ(FrameAt(500, 400), Marker(100, 100));
  EXPECT_TRUE(logs().empty()) << logs().front();
}

TEST_F(OverlayTest, MarkerFollowsTheSequentialWalk) {
  Set("vantorel_sequential_swap", "1");
  Set("vantorel_enable", "1");
  simhost::SimCar& last = AddCar("last", 0, {-2000, 0, 0});
  last.screenPoint = Vector2{900, 400};
  EXPECT_EQ(FrameAt(500, 400), Marker(500, 400));

  // The press takes the mate; the next frame marks the car after it.
  Press();
  ASSERT_EQ(lastSwapIndex(), 1);
  EXPECT_EQ(Frame(), Marker(900, 400));
  EXPECT_TRUE(logs().empty()) << logs().front();
}

// In an online game the overlay works from the online game: its cars, its
// local car and its ball.
TEST_F(OverlayTest, OnlineGameRanksAgainstItsOwnBall) {
  match().Edit()->mode = simhost::GameMode::kOnline;
  simhost::SimCar& beyond = AddCar("beyond", 0, {1000, 0, 0});
  beyond.screenPoint = Vector2{900, 400};

  // Both face +X; with the ball at the origin only the mate faces it.
  EXPECT_EQ(FrameAt(500, 400), Marker(500, 400));
  EXPECT_TRUE(logs().empty()) << logs().front();
  // With the ball past both, the nearer one.
  match().Edit()->ball.location = Vector{2000, 0, 0};
  EXPECT_EQ(Frame(), Marker(900, 400));
  match().Edit()->hasBall = false;
  ExpectBlankFrames(1, {"Bad ball in FindCandidateSwitchCar Intelligent"});
}

// ---------------------------------------------------------------------------
// Extremes: the marker arithmetic never overflows, and a drawn tip lies on
// the canvas.

TEST_F(OverlayTest, ExtremePointsCanvasesAndSettings) {
  const std::int32_t coordinates[] = {kMinInt, kMinInt + 1, -81, -1, 0, 1, 80,
                                      kMaxInt - 80, kMaxInt - 1, kMaxInt};
  struct Icon {
    const char *size, *height, *thickness;
    std::int64_t s, h;
    int t;
  };
  const Icon icons[] = {{"5", "0", "1", 5, 0, 1}, {"40", "40", "5", 40, 40, 5}};
  const Vector2 canvases[] = {{1920, 1080}, {kMaxInt, kMaxInt}, {1, kMaxInt}};

  int drawn = 0;
  for (const Icon& icon : icons) {
    Set("vantorel_render_iconsize", icon.size);
    Set("vantorel_render_iconheight", icon.height);
    Set("vantorel_render_thickness", icon.thickness);
    for (const Vector2& canvas : canvases) {
      match().Edit()->canvasSize = canvas;
      for (std::int32_t x : coordinates) {
        for (std::int32_t y : coordinates) {
          const std::int64_t tipY = static_cast<std::int64_t>(y) - 2 * icon.h;
          const bool onCanvas = x >= 0 && x <= canvas.X && tipY >= 0 && tipY <= canvas.Y;
          if (onCanvas) ++drawn;
          EXPECT_EQ(FrameAt(x, y), onCanvas ? Marker(x, y, icon.s, icon.h, icon.t) : Lines{})
              << x << "," << y << " on " << canvas.X << "x" << canvas.Y;
        }
      }
    }
  }
  EXPECT_GT(drawn, 20);
  EXPECT_TRUE(logs().empty()) << logs().front();
}

}  // namespace
}  // namespace vantorel_test
