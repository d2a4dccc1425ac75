// --animation's parts: the frame clock, the rehearsal's plan and its
// limits, and the writer, whose files are read back with libwebp's own
// decoder.

#include "Animation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "Paths.h"
#include "TestFiles.h"

#if defined(VANTOREL_HAVE_WEBP) && defined(VANTOREL_HAVE_CAIRO)
#include <webp/demux.h>

#include "ScriptPlayer.h"
#include "ScriptPlayerFixture.h"
#include "Transcript.h"
#endif

namespace vantorel_sim {
namespace {

using vantorel_test::TempPath;

// --- FrameClock: timestamps from the running total

std::vector<long long> Starts(FrameClock& clock, float seconds, int count) {
  std::vector<long long> starts;
  for (int i = 0; i < count; ++i) {
    starts.push_back(clock.now());
    clock.Tick(seconds);
  }
  return starts;
}

TEST(FrameClockTest, FramesOfOneSixtiethStartAtWholeMillisecondsRoundedFromTheTotal) {
  FrameClock clock;
  // k * 16.666667: 16.67 -> 17, 33.33 -> 33, 50.00 -> 50, ...
  EXPECT_EQ(Starts(clock, 1.0f / 60.0f, 7), (std::vector<long long>{0, 17, 33, 50, 67, 83, 100}));
  // Halves round away from zero: 0.0625 is exact in binary, k * 62.5.
  FrameClock halves;
  EXPECT_EQ(Starts(halves, 0.0625f, 4), (std::vector<long long>{0, 63, 125, 188}));
}

// Durations rounded one by one would add up to 1200 * 17 = 20400 ms; from
// the total, 1200 frames end at 20000 ms, the time they stand for.
TEST(FrameClockTest, RoundingDoesNotAddUp) {
  FrameClock clock;
  Starts(clock, 1.0f / 60.0f, 1200);
  EXPECT_EQ(clock.now(), 20000);
}

// A new length starts where the frames before it ended.
TEST(FrameClockTest, AChangeOfLengthGoesOnFromTheTotal) {
  FrameClock clock;
  EXPECT_EQ(Starts(clock, 0.04f, 3), (std::vector<long long>{0, 40, 80}));
  // 120 + 16.67 -> 137, 120 + 33.33 -> 153, 120 + 50 -> 170.
  EXPECT_EQ(Starts(clock, 1.0f / 60.0f, 3), (std::vector<long long>{120, 137, 153}));
  EXPECT_EQ(clock.now(), 170);
  // Back to a length used before: still from the total, 170 + 40.
  Starts(clock, 0.04f, 1);
  EXPECT_EQ(clock.now(), 210);
}

// --- the limits, and the plan the rehearsal makes

constexpr float kSixtieth = 1.0f / 60.0f;

FrameFaults FirstFrame(Vector2 canvas, float seconds) {
  return CheckFrame(1, canvas, canvas, seconds);
}

TEST(AnimationPlanTest, CanvasesWebPCanHold) {
  EXPECT_FALSE(FirstFrame(Vector2{960, 540}, kSixtieth).any());
  EXPECT_FALSE(FirstFrame(Vector2{16383, 1}, kSixtieth).any());
  // A picture may be 16384 wide; a WebP may not.
  EXPECT_TRUE(FirstFrame(Vector2{16384, 1}, kSixtieth).tooLarge);
  EXPECT_TRUE(FirstFrame(Vector2{8192, 8192}, kSixtieth).tooLarge);  // too many pixels
  AnimationPlan plan;
  plan.AddFrame(Vector2{16384, 1}, kSixtieth);
  EXPECT_EQ(plan.Check(1, Vector2{16384, 1}, kSixtieth).message(),
            "an animation of a 16384 x 1 canvas is too large (at most 16383 pixels a side and "
            "33554432 pixels in all)");
}

TEST(AnimationPlanTest, FramesLastFromAMillisecondToAMinute) {
  for (float seconds : {0.001f, kSixtieth, 60.0f}) {
    EXPECT_FALSE(FirstFrame(Vector2{64, 36}, seconds).any()) << seconds;
  }
  for (float seconds : {0.0009f, 0.0f, -0.04f, 60.01f}) {
    EXPECT_TRUE(FirstFrame(Vector2{64, 36}, seconds).badLength) << seconds;
  }
  AnimationPlan plan;
  for (int k = 1; k <= 6; ++k) plan.AddFrame(Vector2{64, 36}, kSixtieth);
  plan.AddFrame(Vector2{64, 36}, 60.01f);
  plan.AddFrame(Vector2{64, 36}, 0.0f);  // the first bad frame is the one told
  EXPECT_EQ(plan.Check(8, Vector2{64, 36}, kSixtieth).message(),
            "frame 7 would last 60.0099983 s (motion's dt), and an animation's frames last from "
            "1 ms to 60 s");
}

// Frames after the first keep its size, which alone is measured; frames
// past the most an animation holds are too many.
TEST(AnimationPlanTest, LaterFramesKeepTheFirstSizeAndCount) {
  const Vector2 first{64, 36};
  EXPECT_FALSE(CheckFrame(kMaxAnimationFrames, first, first, kSixtieth).any());
  EXPECT_TRUE(CheckFrame(kMaxAnimationFrames + 1, first, first, kSixtieth).tooMany);
  const FrameFaults resized = CheckFrame(2, first, Vector2{20000, 36}, kSixtieth);
  EXPECT_TRUE(resized.resized);
  EXPECT_FALSE(resized.tooLarge);
}

// Without a frame the animation is one frame of the match at the end,
// which the end's canvas and frame time must allow.
TEST(AnimationPlanTest, WithoutFramesChecksTheMatchAtTheEnd) {
  const AnimationPlan plan;
  const files::Status fits = plan.Check(0, Vector2{960, 540}, kSixtieth);
  EXPECT_TRUE(fits.ok()) << fits.message();
  EXPECT_FALSE(plan.Check(0, Vector2{20000, 540}, kSixtieth).ok());
  const files::Status still = plan.Check(0, Vector2{960, 540}, 0.0f);
  EXPECT_EQ(still.message().rfind("frame 1 would last 0 s", 0), 0u) << still.message();
}

#if defined(VANTOREL_HAVE_WEBP) && defined(VANTOREL_HAVE_CAIRO)

// --- the writer, read back

// One frame as libwebp's decoder gives it: RGBA bytes, and when it ends.
struct DecodedFrame {
  int endMs = 0;
  std::vector<std::uint8_t> rgba;
};

// An animated WebP read back whole.
struct Decoded {
  bool ok = false;
  int width = 0;
  int height = 0;
  int loops = -1;
  std::vector<DecodedFrame> frames;
};

Decoded Decode(const std::string& bytes) {
  WebPData data;
  data.bytes = reinterpret_cast<const std::uint8_t*>(bytes.data());
  data.size = bytes.size();
  WebPAnimDecoderOptions options;
  WebPAnimDecoderOptionsInit(&options);
  options.color_mode = MODE_RGBA;
  Decoded decoded;
  WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
  if (decoder == nullptr) return decoded;
  WebPAnimInfo info;
  decoded.ok = WebPAnimDecoderGetInfo(decoder, &info) != 0;
  decoded.width = static_cast<int>(info.canvas_width);
  decoded.height = static_cast<int>(info.canvas_height);
  decoded.loops = static_cast<int>(info.loop_count);
  const std::size_t size = std::size_t{info.canvas_width} * info.canvas_height * 4;
  while (decoded.ok && WebPAnimDecoderHasMoreFrames(decoder)) {
    std::uint8_t* pixels = nullptr;
    DecodedFrame frame;
    decoded.ok = WebPAnimDecoderGetNext(decoder, &pixels, &frame.endMs) != 0;
    if (decoded.ok) frame.rgba.assign(pixels, pixels + size);
    decoded.frames.push_back(std::move(frame));
  }
  WebPAnimDecoderDelete(decoder);
  return decoded;
}

// How many pixels of `frame` differ from `scene` as FramePainter paints it.
int Differences(const DecodedFrame& frame, const Scene& scene) {
  FramePainter painter(scene.canvas);
  const files::Status painted = painter.Paint(scene);
  EXPECT_TRUE(painted.ok()) << painted.message();
  int differing = 0;
  for (std::int32_t y = 0; y < scene.canvas.Y; ++y) {
    for (std::int32_t x = 0; x < scene.canvas.X; ++x) {
      const std::uint32_t word = painter.Row(y)[x];
      const std::uint8_t* rgba = &frame.rgba[4 * (std::size_t(y) * scene.canvas.X + x)];
      const bool same = rgba[0] == ((word >> 16) & 0xFF) && rgba[1] == ((word >> 8) & 0xFF) &&
                        rgba[2] == (word & 0xFF) && rgba[3] == 0xFF;
      if (!same) ++differing;
    }
  }
  return differing;
}

int YellowPixels(const DecodedFrame& frame) {
  int yellow = 0;
  for (std::size_t i = 0; i + 3 < frame.rgba.size(); i += 4) {
    const std::uint8_t* p = &frame.rgba[i];
    if (p[0] == 255 && p[1] == 255 && p[2] == 0 && p[3] == 255) ++yellow;
  }
  return yellow;
}

Scene Moving(int k) {
  Scene scene;
  scene.canvas = Vector2{120, 80};
  scene.cars.push_back(Scene::CarMark{Vector2{10 + 7 * k, 40}, 0, "Ava"});
  scene.cars.push_back(Scene::CarMark{Vector2{100, 10 + 5 * k}, 1, "Dee"});
  scene.hasBall = k % 2 == 0;
  scene.ball = Vector2{60, 60};
  return scene;
}

class AnimationWriterTest : public ::testing::Test {
 protected:
  // Ends `writer`'s animation into webp_; false, with error_ set, when it
  // fails.
  bool Finish(AnimationWriter& writer) {
    const files::Status status = writer.Finish(&webp_);
    error_ = status.message();
    return status.ok();
  }

  std::string path_ = TempPath("animation.webp");
  std::string webp_;
  std::string error_;
};

// WebP's encoder stores a frame that looks like the one before as a longer
// frame: fewer frames, the same time.
TEST_F(AnimationWriterTest, AFrameLikeTheOneBeforeLengthensIt) {
  AnimationWriter writer(path_);
  for (int k : {0, 1, 1, 1, 2}) writer.AddFrame(Moving(k), 0.1f);
  ASSERT_TRUE(Finish(writer)) << error_;
  const Decoded decoded = Decode(webp_);
  ASSERT_EQ(decoded.frames.size(), 3u);
  EXPECT_EQ(decoded.frames[0].endMs, 100);
  EXPECT_EQ(decoded.frames[1].endMs, 400);
  EXPECT_EQ(decoded.frames[2].endMs, 500);
  EXPECT_EQ(Differences(decoded.frames[1], Moving(1)), 0);
}

// The writer makes the file's bytes; writing them is SaveOutputs' part, at
// the very end of the run.
TEST_F(AnimationWriterTest, LeavesTheFileAlone) {
  vantorel_test::WriteFile(path_, "older");
  AnimationWriter writer(path_);
  writer.AddFrame(Moving(0), 0.04f);
  ASSERT_TRUE(Finish(writer)) << error_;
  EXPECT_EQ(Decode(webp_).frames.size(), 1u);
  EXPECT_EQ(vantorel_test::ReadFile(path_), "older");
  EXPECT_TRUE(vantorel_test::Leftovers(path_).empty());
  std::remove(path_.c_str());
}

TEST_F(AnimationWriterTest, RefusesAFrameOfAnotherSizeAndKeepsTheFirstFailure) {
  AnimationWriter writer(path_);
  writer.AddFrame(Moving(0), 0.04f);
  Scene other = Moving(1);
  other.canvas = Vector2{60, 40};
  writer.AddFrame(other, 0.04f);
  writer.AddFrame(Moving(2), 0.0f);  // would fail too; the first failure is the one told
  EXPECT_EQ(writer.frames(), 1);
  EXPECT_FALSE(Finish(writer));
  EXPECT_EQ(error_, "cannot write the animation " + path_ +
                        ": the canvas changed from 120 x 80 to 60 x 40 at frame 2");
  EXPECT_TRUE(webp_.empty());
}

TEST_F(AnimationWriterTest, RefusesFramesOutOfBounds) {
  AnimationWriter tooLong(path_);
  tooLong.AddFrame(Moving(0), 61.0f);
  EXPECT_FALSE(Finish(tooLong));
  EXPECT_NE(error_.find("frame 1 would last 61 s"), std::string::npos) << error_;

  AnimationWriter tooWide(path_);
  Scene wide = Moving(0);
  wide.canvas = Vector2{16384, 1};
  tooWide.AddFrame(wide, 0.04f);
  EXPECT_FALSE(Finish(tooWide));
  EXPECT_NE(error_.find("16384 x 1 canvas is too large"), std::string::npos) << error_;

  AnimationWriter empty(path_);
  EXPECT_FALSE(Finish(empty));
  EXPECT_EQ(error_, "cannot write the animation " + path_ + ": no frame to write");
  EXPECT_TRUE(webp_.empty());
}

TEST_F(AnimationWriterTest, StopsAtTheMostFramesAnAnimationHolds) {
  AnimationWriter writer(path_);
  Scene tiny;
  tiny.canvas = Vector2{2, 2};
  for (long long k = 0; k <= kMaxAnimationFrames; ++k) writer.AddFrame(tiny, 0.001f);
  EXPECT_EQ(writer.frames(), kMaxAnimationFrames);
  EXPECT_FALSE(Finish(writer));
  EXPECT_NE(error_.find("at most 36000 frames"), std::string::npos) << error_;
}

// libwebp's failures in the program's words, never its raw text.
TEST(WebPFailureTest, SaysWhatLibwebpsCodesMean) {
  for (const char* text : {"ERROR adding frame. WebPEncodingError: 1.",
                           "ERROR adding frame. WebPMuxError: -3.", "ERROR assembling WebP: -3."}) {
    EXPECT_EQ(WebPFailure(text), "out of memory") << text;
  }
  EXPECT_EQ(WebPFailure("ERROR adding frame. WebPEncodingError: 9."),
            "it would be larger than a WebP file can be (4 GiB)");
  EXPECT_EQ(WebPFailure("ERROR adding frame: Invalid WebPConfig"),
            "libwebp could not encode a frame");
}

// A script played as vantorel-sim plays it, each frame recorded as it is
// drawn: the yellow of the marker is in exactly the frames whose
// transcript draws it, and every frame is the scene it was.
TEST(AnimationScriptTest, TheMarkerIsInTheFramesTheTranscriptDrawsItIn) {
  vantorel_test::CapturedLines lines;
  std::string webp;
  std::vector<Scene> scenes;
  {
    Transcript transcript(&lines);
    simhost::Host host(transcript);
    ScriptPlayer player(host, transcript, vantorel_test::PluginModule());
    AnimationWriter writer(TempPath("script.webp"));
    player.SetEachFrameObserver([&](float seconds) {
      scenes.push_back(CaptureScene(host));
      writer.AddFrame(scenes.back(), seconds);
    });
    for (const Command& command : vantorel_test::CommandsOf(
             "canvas 320 180\n"
             "camera loc=0,0,3000 rot=-16384,0,0 fov=90\n"
             "ball loc=0,0,93 vel=0,2000,0\n"
             "car Ava team=0 loc=-800,-1500,17 local\n"
             "car Bo team=0 loc=500,-1000,17 vel=0,900,0\n"
             "car Dee team=1 loc=0,1000,17 vel=0,-900,0\n"
             "plugin load\n"
             "motion on dt=0.05\n"
             "frame 3\n"
             "vantorel_render_enable 1\n"
             "frame 4\n"
             "vantorel_render_next 0\n"
             "frame 2\n"
             "vantorel_render_next 1\n"
             "motion on dt=0.02\n"
             "frame 3\n")) {
      const ScriptPlayer::Result result = player.Play(command);
      ASSERT_EQ(result.outcome, ScriptPlayer::Outcome::kPlayed) << result.status.message();
    }
    const files::Status finished = writer.Finish(&webp);
    ASSERT_TRUE(finished.ok()) << finished.message();
  }

  // Which frames the transcript draws the marker in.
  std::vector<bool> marked;
  std::istringstream transcriptLines(lines.Take());
  for (std::string line; std::getline(transcriptLines, line);) {
    if (line.rfind("[frame] ", 0) == 0) marked.push_back(false);
    if (line == "[draw] color 255 255 0 255") marked.back() = true;
  }
  ASSERT_EQ(marked.size(), 12u);
  EXPECT_EQ(marked, (std::vector<bool>{false, false, false, true, true, true, true, false,
                                       false, true, true, true}));

  const Decoded decoded = Decode(webp);
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(decoded.width, 320);
  EXPECT_EQ(decoded.height, 180);
  EXPECT_EQ(decoded.loops, 0);  // for ever
  ASSERT_EQ(decoded.frames.size(), 12u);
  const int ends[12] = {50, 100, 150, 200, 250, 300, 350, 400, 450, 470, 490, 510};
  for (std::size_t k = 0; k < 12; ++k) {
    EXPECT_EQ(decoded.frames[k].endMs, ends[k]) << "frame " << k + 1;
    EXPECT_EQ(YellowPixels(decoded.frames[k]) > 0, marked[k]) << "frame " << k + 1;
    EXPECT_EQ(Differences(decoded.frames[k], scenes[k]), 0) << "frame " << k + 1;
  }
}

#else

TEST(AnimationWriterTest, WithoutLibwebpRefusesAnimations) {
  const std::string missing = MissingForAnimations();
  EXPECT_FALSE(missing.empty());
  EXPECT_EQ(CheckAnimationsSupported().message(),
            "this build cannot write animations (built without " + missing +
                "): --animation refused");
  AnimationWriter writer(TempPath("never.webp"));
  Scene scene;
  scene.canvas = Vector2{10, 10};
  writer.AddFrame(scene, 0.04f);
  std::string webp;
  const files::Status finished = writer.Finish(&webp);
  EXPECT_NE(finished.message().find("cannot write animations (built without " + missing + ")"),
            std::string::npos)
      << finished.message();
}

#endif

}  // namespace
}  // namespace vantorel_sim
