#include "Picture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#ifdef VANTOREL_HAVE_CAIRO
#include <cairo.h>
#endif

#include "OutputFiles.h"
#include "Paths.h"
#include "RecordingListener.h"

namespace vantorel_sim {
namespace {

using vantorel_test::ColorCall;
using vantorel_test::LineCall;
using vantorel_test::TempPath;

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

struct Pixel {
  int red, green, blue;
};

// Reads a PNG back and answers the colour of single pixels.
class PngImage {
 public:
  explicit PngImage(const std::string& path)
      : surface_(cairo_image_surface_create_from_png(path.c_str())) {}
  ~PngImage() { cairo_surface_destroy(surface_); }

  bool ok() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
  int width() const { return cairo_image_surface_get_width(surface_); }
  int height() const { return cairo_image_surface_get_height(surface_); }

  Pixel At(int x, int y) const {
    const unsigned char* row =
        cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
    std::uint32_t value = 0;
    std::memcpy(&value, row + 4 * x, 4);
    return Pixel{static_cast<int>((value >> 16) & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                 static_cast<int>(value & 0xFF)};
  }

 private:
  cairo_surface_t* surface_;
};

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
  const std::string path = TempPath("marks.png");
  std::string error;
  ASSERT_TRUE(WritePicture(scene, path, &error)) << error;

  PngImage image(path);
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
  std::remove(path.c_str());
}

TEST(PictureTest, ReportsAFileThatCannotBeWritten) {
  Scene scene;
  scene.canvas = Vector2{10, 10};
  std::string error;
  EXPECT_FALSE(WritePicture(scene, TempPath("no-such-folder/picture.png"), &error));
  EXPECT_NE(error.find("no-such-folder"), std::string::npos) << error;
  scene.canvas = Vector2{100000, 10};
  EXPECT_FALSE(WritePicture(scene, TempPath("wide.png"), &error));
  EXPECT_NE(error.find("too large"), std::string::npos) << error;
}

#else

TEST(PictureTest, WithoutCairoRefusesPictures) {
  EXPECT_FALSE(PicturesSupported());
  Scene scene;
  scene.canvas = Vector2{10, 10};
  std::string error;
  EXPECT_FALSE(WritePicture(scene, TempPath("never.png"), &error));
  EXPECT_NE(error.find("Cairo"), std::string::npos) << error;
}

#endif

}  // namespace
}  // namespace vantorel_sim
