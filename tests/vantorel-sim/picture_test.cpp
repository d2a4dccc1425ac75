// Picture.h: scenes captured from the host, and painted, as a picture
// (PaintPicture) or frame by frame for an animation (FramePainter).

#include "Picture.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#ifdef VANTOREL_HAVE_CAIRO
#include <cairo.h>
#endif

#include "RecordingListener.h"

namespace vantorel_sim {
namespace {

using vantorel_test::ColorCall;
using vantorel_test::LineCall;

TEST(PictureTest, RefusesCanvasesTooLargeToHold) {
  EXPECT_TRUE(CheckPictureSize(Vector2{1920, 1080}).ok());
  EXPECT_TRUE(CheckPictureSize(Vector2{7680, 4320}).ok());
  EXPECT_TRUE(CheckPictureSize(Vector2{16384, 1}).ok());
  EXPECT_FALSE(CheckPictureSize(Vector2{16385, 1}).ok());
  EXPECT_FALSE(CheckPictureSize(Vector2{1, 16385}).ok());
  EXPECT_FALSE(CheckPictureSize(Vector2{16384, 16384}).ok());
  const files::Status huge =
      CheckPictureSize(Vector2{std::numeric_limits<std::int32_t>::max(), 1080});
  EXPECT_NE(huge.message().find("2147483647 x 1080"), std::string::npos) << huge.message();
}

TEST(PictureTest, CapturesWhereTheCanvasPutsCarsAndBall) {
  simhost::HostListener quiet;
  simhost::Host host(quiet);
  simhost::Match& match = host.match();
  simhost::SimCar& ava = match.Edit()->AddCar("Ava");
  ava.location = Vector{1000.0f, 0.0f, 0.0f};  // straight ahead of the camera
  ava.playerInfo.team = 1;
  match.Edit()->AddNullCar();
  simhost::SimCar& bo = match.Edit()->AddCar("Bo");
  bo.location = Vector{5.0f, 5.0f, 5.0f};
  bo.screenPoint = Vector2{7, 8};
  match.Edit()->ball.location = Vector{-1000.0f, 0.0f, 0.0f};  // behind the camera

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

  match.Edit()->hasBall = false;
  EXPECT_FALSE(CaptureScene(host).hasBall);
}

// Two cars, the ball and a yellow line.
Scene TwoCars() {
  Scene scene;
  scene.canvas = Vector2{160, 90};
  scene.cars.push_back(Scene::CarMark{Vector2{20, 30}, 0, "Ava"});
  scene.cars.push_back(Scene::CarMark{Vector2{120, 60}, 1, "Dee"});
  scene.hasBall = true;
  scene.ball = Vector2{80, 45};
  scene.drawing = {ColorCall(255, 255, 0, 255), LineCall(Vector2{10, 10}, Vector2{60, 80}, 3.0f)};
  return scene;
}

#ifdef VANTOREL_HAVE_CAIRO

struct Pixel {
  int red, green, blue;
};

// A PNG read back with Cairo from its bytes, to check what was painted
// pixel by pixel. Owns the image it decodes.
class PngImage {
 public:
  explicit PngImage(const std::string& png) {
    Reader reader{png, 0};
    surface_ = cairo_image_surface_create_from_png_stream(Reader::Read, &reader);
  }
  ~PngImage() { cairo_surface_destroy(surface_); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;

  bool ok() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
  int width() const { return cairo_image_surface_get_width(surface_); }
  int height() const { return cairo_image_surface_get_height(surface_); }

  // The pixel at (x, y) as Cairo holds it: 0xXXRRGGBB.
  std::uint32_t Word(int x, int y) const {
    const unsigned char* row =
        cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
    std::uint32_t word = 0;
    std::memcpy(&word, row + 4 * x, 4);
    return word;
  }
  Pixel At(int x, int y) const {
    const std::uint32_t word = Word(x, y);
    return Pixel{static_cast<int>((word >> 16) & 0xFF), static_cast<int>((word >> 8) & 0xFF),
                 static_cast<int>(word & 0xFF)};
  }

 private:
  // Cairo asks for the bytes piece by piece, each piece whole.
  struct Reader {
    const std::string& png;
    std::size_t done;

    static cairo_status_t Read(void* closure, unsigned char* data, unsigned int length) {
      Reader& reader = *static_cast<Reader*>(closure);
      if (reader.png.size() - reader.done < length) return CAIRO_STATUS_READ_ERROR;
      std::memcpy(data, reader.png.data() + reader.done, length);
      reader.done += length;
      return CAIRO_STATUS_SUCCESS;
    }
  };

  cairo_surface_t* surface_ = nullptr;
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
  std::string png;
  const files::Status painted = PaintPicture(scene, &png);
  ASSERT_TRUE(painted.ok()) << painted.message();

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
  const files::Status painted = PaintPicture(scene, &png);
  EXPECT_NE(painted.message().find("too large"), std::string::npos) << painted.message();
}

std::uint32_t Rgb(std::uint32_t word) { return word & 0xFFFFFFu; }

// Every pixel of the painter's image against the PNG --picture paints of
// the same scene.
void ExpectSameAsPicture(const FramePainter& painter, const Scene& scene) {
  std::string png;
  const files::Status painted = PaintPicture(scene, &png);
  ASSERT_TRUE(painted.ok()) << painted.message();
  const PngImage image(png);
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
  const Scene scene = TwoCars();
  FramePainter painter(scene.canvas);
  const files::Status painted = painter.Paint(scene);
  ASSERT_TRUE(painted.ok()) << painted.message();
  ExpectSameAsPicture(painter, scene);
  // The yellow line crosses (35, 45): exactly opaque yellow there.
  EXPECT_EQ(Rgb(painter.Row(45)[35]), 0xFFFF00u);
}

#else

TEST(PictureTest, WithoutCairoRefusesPictures) {
  EXPECT_FALSE(PicturesSupported());
  Scene scene;
  scene.canvas = Vector2{10, 10};
  std::string png;
  const files::Status painted = PaintPicture(scene, &png);
  EXPECT_NE(painted.message().find("Cairo"), std::string::npos) << painted.message();
}

TEST(FramePainterTest, WithoutCairoPaintsNothing) {
  FramePainter painter(Vector2{160, 90});
  const files::Status painted = painter.Paint(TwoCars());
  EXPECT_NE(painted.message().find("Cairo"), std::string::npos) << painted.message();
  EXPECT_EQ(painter.Row(0), nullptr);
  std::string png;
  EXPECT_FALSE(painter.WritePng(&png).ok());
}

#endif

}  // namespace
}  // namespace vantorel_sim
