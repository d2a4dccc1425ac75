// FramePainter: the frames of an animation painted as --picture paints.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "Picture.h"
#include "RecordingListener.h"

#ifdef VANTOREL_HAVE_CAIRO
#include "PngImage.h"
#endif

namespace vantorel_sim {
namespace {

using vantorel_test::ColorCall;
using vantorel_test::LineCall;

Scene TwoCars(std::int32_t shift) {
  Scene scene;
  scene.canvas = Vector2{160, 90};
  scene.cars.push_back(Scene::CarMark{Vector2{20 + shift, 30}, 0, "Ava"});
  scene.cars.push_back(Scene::CarMark{Vector2{120, 60 - shift}, 1, "Dee"});
  scene.hasBall = true;
  scene.ball = Vector2{80, 45};
  scene.drawing = {ColorCall(255, 255, 0, 255),
                   LineCall(Vector2{10 + shift, 10}, Vector2{60, 80}, 3.0f)};
  return scene;
}

#ifdef VANTOREL_HAVE_CAIRO

std::uint32_t Rgb(std::uint32_t word) { return word & 0xFFFFFFu; }

// Every pixel of the painter's image against the PNG --picture paints of
// the same scene.
void ExpectSameAsPicture(const FramePainter& painter, const Scene& scene) {
  std::string png;
  std::string error;
  ASSERT_TRUE(PaintPicture(scene, &png, &error)) << error;
  const vantorel_test::PngImage image(png);
  ASSERT_TRUE(image.ok());
  ASSERT_EQ(image.width(), scene.canvas.X);
  ASSERT_EQ(image.height(), scene.canvas.Y);
  int differing = 0;
  for (std::int32_t y = 0; y < scene.canvas.Y; ++y) {
    for (std::int32_t x = 0; x < scene.canvas.X; ++x) {
      if (Rgb(image.Word(x, y)) != Rgb(painter.Row(y)[x])) ++differing;
    }
  }
  EXPECT_EQ(differing, 0);
}

TEST(FramePainterTest, PaintsExactlyAsThePictureDoes) {
  const Scene scene = TwoCars(0);
  FramePainter painter(scene.canvas);
  std::string error;
  ASSERT_TRUE(painter.Paint(scene, &error)) << error;
  ExpectSameAsPicture(painter, scene);
  // The yellow line crosses (35, 45): exactly opaque yellow there.
  EXPECT_EQ(Rgb(painter.Row(45)[35]), 0xFFFF00u);
}

#else

TEST(FramePainterTest, WithoutCairoPaintsNothing) {
  FramePainter painter(Vector2{160, 90});
  std::string error;
  EXPECT_FALSE(painter.Paint(TwoCars(0), &error));
  EXPECT_NE(error.find("Cairo"), std::string::npos) << error;
  EXPECT_EQ(painter.Row(0), nullptr);
  std::string png;
  EXPECT_FALSE(painter.WritePng(&png, &error));
}

#endif

}  // namespace
}  // namespace vantorel_sim
