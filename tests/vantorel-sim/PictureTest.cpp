#include "Picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "RecordingListener.h"

#ifdef VANTOREL_HAVE_CAIRO
#include "PngImage.h"
#endif

namespace vantorel_sim {
namespace {

using vantorel_test::ColorCall;
using vantorel_test::LineCall;

TEST(PictureTest, RefusesCanvasesTooLargeToHold) {
  std::string error;
  EXPECT_TRUE(CheckPictureSize(Vector2{1920, 1080}, &error));
  EXPECT_TRUE(CheckPictureSize(Vector2{7680, 4320}, &error));
  EXPECT_TRUE(CheckPictureSize(Vector2{16384, 1}, &error));
  EXPECT_FALSE(CheckPictureSize(Vector2{16385, 1}, &error));
  EXPECT_FALSE(CheckPictureSize(Vector2{1, 16385}, &error));
  EXPECT_FALSE(CheckPictureSize(Vector2{16384, 16384}, &error));
  EXPECT_FALSE(CheckPictureSize(Vector2{std::numeric_limits<std::int32_t>::max(), 1080}, &error));
  EXPECT_NE(error.find("2147483647 x 1080"), std::string::npos) << error;
}

TEST(PictureTest, CapturesWhereTheCanvasPutsCarsAndBall) {
  simhost::HostListener quiet;
  simhost::Host host(quiet);
  simhost::Match& match = host.match();
  simhost::SimCar& ava = match.AddCar("Ava");
  ava.location = Vector{1000.0f, 0.0f, 0.0f};  // straight ahead of the camera
  ava.playerInfo.team = 1;
  match.AddNullCar();
  simhost::SimCar& bo = match.AddCar("Bo");
  bo.location = Vector{5.0f, 5.0f, 5.0f};
  bo.screenPoint = Vector2{7, 8};
  match.ball.location = Vector{-1000.0f, 0.0f, 0.0f};  // behind the camera

  const Scene scene = CaptureScene(host);
  EXPECT_EQ(scene.canvas.X, 1920);
  ASSERT_EQ(scene.cars.size(), 2u);  // the null entry has no mark
  EXPECT_EQ(scene.cars[0].owner, "Ava");
  EXPECT_EQ(scene.cars[0].team, 1);
  EXPECT_EQ(scene.cars[0].point.X, 960);
  EXPECT_EQ(scene.cars[0].point.Y, 540);
  EXPECT_EQ(scene.cars[1].point.X, 7);
  EXPECT_EQ(scene.cars[1].point.Y, 8);
  EXPECT_TRUE(scene.hasBall);
  EXPECT_LT(scene.ball.X, 0);  // off the canvas

  match.hasBall = false;
  EXPECT_FALSE(CaptureScene(host).hasBall);
}

#ifdef VANTOREL_HAVE_CAIRO

using vantorel_test::Pixel;
using vantorel_test::PngImage;

TEST(PictureTest, PaintsMarksAndLinesWhereTheyWereDrawn) {
  Scene scene;
  scene.canvas = Vector2{200, 100};
  scene.cars.push_back(Scene::CarMark{Vector2{30, 30}, 0, "Ava"});
  scene.cars.push_back(Scene::CarMark{Vector2{170, 30}, 1, "Dee"});
  // Far off the canvas on either side: neither drawn nor a problem.
  scene.cars.push_back(Scene::CarMark{Vector2{std::numeric_limits<std::int32_t>::min(), 0}, 2, "X"});
  scene.drawing = {ColorCall(255, 255, 0, 255),
                   LineCall(Vector2{10, 80}, Vector2{190, 80}, 3.0f),
                   ColorCall(255, 0, 255, 255),
                   LineCall(Vector2{100, std::numeric_limits<std::int32_t>::min()},
                            Vector2{100, std::numeric_limits<std::int32_t>::max()}, 1.0f)};
  std::string png;
  std::string error;
  ASSERT_TRUE(PaintPicture(scene, &png, &error)) << error;

  const PngImage image(png);
  ASSERT_TRUE(image.ok());
  EXPECT_EQ(image.width(), 200);
  EXPECT_EQ(image.height(), 100);
  const Pixel blue = image.At(30, 30);
  EXPECT_GT(blue.blue, 200);
  EXPECT_LT(blue.red, 100);
  const Pixel orange = image.At(170, 30);
  EXPECT_GT(orange.red, 200);
  EXPECT_LT(orange.blue, 100);
  // The yellow line is 3 pixels wide around row 80, and no wider.
  for (int y : {79, 80, 81}) {
    const Pixel yellow = image.At(50, y);
    EXPECT_EQ(yellow.red, 255) << y;
    EXPECT_EQ(yellow.green, 255) << y;
    EXPECT_EQ(yellow.blue, 0) << y;
  }
  const Pixel background = image.At(50, 77);
  EXPECT_LT(background.red, 100);
  EXPECT_LT(background.green, 100);
  EXPECT_EQ(image.At(50, 83).red, background.red);
  // The magenta line from far above to far below the canvas crosses it.
  for (int y : {0, 50, 99}) {
    const Pixel magenta = image.At(100, y);
    EXPECT_EQ(magenta.red, 255) << y;
    EXPECT_EQ(magenta.blue, 255) << y;
  }
}

TEST(PictureTest, RefusesACanvasTooLargeToPaint) {
  Scene scene;
  scene.canvas = Vector2{100000, 10};
  std::string png;
  std::string error;
  EXPECT_FALSE(PaintPicture(scene, &png, &error));
  EXPECT_NE(error.find("too large"), std::string::npos) << error;
}

#else

TEST(PictureTest, WithoutCairoRefusesPictures) {
  EXPECT_FALSE(PicturesSupported());
  Scene scene;
  scene.canvas = Vector2{10, 10};
  std::string error;
  std::string png;
  EXPECT_FALSE(PaintPicture(scene, &png, &error));
  EXPECT_NE(error.find("Cairo"), std::string::npos) << error;
}

#endif

}  // namespace
}  // namespace vantorel_sim
