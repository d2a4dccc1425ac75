#include "simhost/Projection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace {

using simhost::CanvasProjection;
using simhost::kOffCanvas;
using simhost::ProjectThroughCamera;
using simhost::SimCamera;

constexpr Vector2 kCanvas{1920, 1080};

SimCamera Camera(Vector location = {}, Rotator rotation = {}, float fov = 90.0f) {
  SimCamera camera;
  camera.location = location;
  camera.rotation = rotation;
  camera.fieldOfView = fov;
  return camera;
}

void ExpectPoint(Vector2 actual, int x, int y) {
  EXPECT_EQ(actual.X, x);
  EXPECT_EQ(actual.Y, y);
}

void ExpectOffCanvas(Vector2 actual) { ExpectPoint(actual, kOffCanvas.X, kOffCanvas.Y); }

// `point` seen by the camera most cases use: at the origin, level, fov 90,
// on a 1920 x 1080 canvas.
Vector2 FromOrigin(Vector point) { return ProjectThroughCamera(Camera(), kCanvas, point); }

TEST(Projection, StraightAheadLandsOnTheCentre) {
  ExpectPoint(FromOrigin({1000, 0, 0}), 960, 540);
  ExpectPoint(ProjectThroughCamera(Camera({100, 200, 300}), kCanvas, {5000, 200, 300}), 960, 540);
  // Odd sizes: the integer half.
  ExpectPoint(ProjectThroughCamera(Camera(), Vector2{1921, 1081}, {1, 0, 0}), 960, 540);
}

TEST(Projection, RightIsPositiveYAndUpIsPositiveZ) {
  // With fov 90 the focal length is half the width: a point 45 degrees to
  // the side lands on the canvas edge.
  ExpectPoint(FromOrigin({1000, 1000, 0}), 1920, 540);
  ExpectPoint(FromOrigin({1000, -1000, 0}), 0, 540);
  ExpectPoint(FromOrigin({1000, 0, 500}), 960, 60);
  ExpectPoint(FromOrigin({1000, 0, -500}), 960, 1020);
  ExpectPoint(FromOrigin({1000, 100, 100}), 1056, 444);
}

TEST(Projection, FieldOfViewScales) {
  // fov 60: focal = 960 / tan(30 deg) = 1662.77
  ExpectPoint(ProjectThroughCamera(Camera({}, {}, 60.0f), kCanvas, {1000, 100, 0}), 960 + 166,
              540);
}

TEST(Projection, RotationTurnsTheView) {
  // Yaw a quarter turn: looking along +Y, right is -X.
  const SimCamera yawed = Camera({}, Rotator{0, 16384, 0});
  ExpectPoint(ProjectThroughCamera(yawed, kCanvas, {0, 1000, 0}), 960, 540);
  EXPECT_GT(ProjectThroughCamera(yawed, kCanvas, {-500, 1000, 0}).X, 960);
  EXPECT_LT(ProjectThroughCamera(yawed, kCanvas, {500, 1000, 0}).X, 960);
  // Pitch a quarter turn: looking up, screen-up is -X.
  const SimCamera pitched = Camera({}, Rotator{16384, 0, 0});
  ExpectPoint(ProjectThroughCamera(pitched, kCanvas, {0, 0, 1000}), 960, 540);
  EXPECT_LT(ProjectThroughCamera(pitched, kCanvas, {-500, 0, 1000}).Y, 540);
  EXPECT_GT(ProjectThroughCamera(pitched, kCanvas, {0, 500, 1000}).X, 960);
  // Roll is ignored.
  const SimCamera rolled = Camera({}, Rotator{0, 0, 16384});
  ExpectPoint(ProjectThroughCamera(rolled, kCanvas, {1000, 1000, 0}), 1920, 540);
}

TEST(Projection, LeftAndRightAreSymmetric) {
  const Vector2 right = FromOrigin({1000, 1.5625f, 0});
  const Vector2 left = FromOrigin({1000, -1.5625f, 0});
  EXPECT_EQ(right.X - 960, 2);
  EXPECT_EQ(960 - left.X, 2);
}

TEST(Projection, BehindOrBesideTheCameraIsOffCanvas) {
  ExpectOffCanvas(FromOrigin({-1000, 0, 0}));
  ExpectOffCanvas(FromOrigin({0, 1000, 0}));
  ExpectOffCanvas(FromOrigin({0, 0, 0}));
}

TEST(Projection, ResultsBeyondInt32AreOffCanvas) {
  ExpectOffCanvas(FromOrigin({1e-6f, 1000, 0}));
  ExpectOffCanvas(FromOrigin({1e-6f, 0, -1000}));
  const float huge = std::numeric_limits<float>::max();
  ExpectOffCanvas(FromOrigin({1, huge, 0}));
  ExpectOffCanvas(ProjectThroughCamera(Camera(), Vector2{2147483647, 2147483647}, {1, 2, 0}));
  // Still fits: the largest canvas, straight ahead.
  ExpectPoint(ProjectThroughCamera(Camera(), Vector2{2147483647, 2147483647}, {1, 0, 0}),
              1073741823, 1073741823);
}

TEST(Projection, NonFiniteInputsAndBadFieldsOfViewAreOffCanvas) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  ExpectOffCanvas(FromOrigin({nan, 0, 0}));
  ExpectOffCanvas(FromOrigin({inf, 0, 0}));
  ExpectOffCanvas(ProjectThroughCamera(Camera({inf, 0, 0}), kCanvas, {1, 0, 0}));
  for (float fov : {0.0f, -10.0f, 180.0f, 270.0f, nan, inf}) {
    ExpectOffCanvas(ProjectThroughCamera(Camera({}, {}, fov), kCanvas, {1000, 0, 0}));
  }
}

// The picture projects every car through the table; it must answer as the
// canvas does for each location, screen points found by their bits, the
// first car in list order winning.
TEST(Projection, TableAnswersAsTheCanvas) {
  simhost::Match match;
  match.Edit()->canvasSize = Vector2{800, 600};
  const auto add = [&](Vector location, std::optional<Vector2> screen) {
    simhost::SimCar& car = match.Edit()->AddCar("car");
    car.location = location;
    car.screenPoint = screen;
  };
  add({1000, 0, 0}, std::nullopt);      // through the camera
  match.Edit()->AddNullCar();
  add({1000, 0, 0}, Vector2{11, 22});   // first with a point there
  add({1000, 0, 0}, Vector2{33, 44});
  add({0.0f, 5, 5}, Vector2{55, 66});
  add({-0.0f, 5, 5}, Vector2{77, 88});  // other bits: its own point
  add({-500, 0, 0}, std::nullopt);      // behind the camera

  const Vector locations[] = {{1000, 0, 0}, {0.0f, 5, 5}, {-0.0f, 5, 5}, {-500, 0, 0},
                              {2000, 100, -50}};
  for (bool camera : {true, false}) {
    match.Edit()->hasCamera = camera;
    const CanvasProjection table(*match.Read());
    for (const Vector& location : locations) {
      const Vector2 expected = simhost::ProjectOnCanvas(*match.Read(), location);
      SCOPED_TRACE(std::to_string(location.X) + (camera ? " camera" : " no camera"));
      ExpectPoint(table.Project(location), expected.X, expected.Y);
    }
  }
  match.Edit()->hasCamera = true;
  const CanvasProjection table(*match.Read());
  ExpectPoint(table.Project({1000, 0, 0}), 11, 22);
  ExpectPoint(table.Project({-0.0f, 5, 5}), 77, 88);
  ExpectPoint(table.Project({2000, 0, 0}), 400, 300);
}

}  // namespace
