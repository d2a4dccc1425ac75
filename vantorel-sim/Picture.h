#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "simhost/Host.h"
#include "Vector.h"

namespace vantorel_sim {

// What one drawn frame showed, kept so that it can be painted after the
// match has moved on: where the host put each car and the ball on the
// canvas, and what the plugin drew.
struct Scene {
  struct CarMark {
    Vector2 point;
    std::uint8_t team = 0;
    std::string owner;
  };

  Vector2 canvas;
  std::vector<CarMark> cars;  // null entries of the car list have no mark
  bool hasBall = false;
  Vector2 ball;
  std::vector<simhost::DrawCall> drawing;
};

// The scene of the frame the host drew last, with the match as it stands.
Scene CaptureScene(simhost::Host& host);

// Whether this build can paint pictures at all.
bool PicturesSupported();

// Whether a picture of a canvas this size may be painted; pictures are held
// whole in memory, so a canvas of absurd size is refused up front.
bool CheckPictureSize(Vector2 canvas, std::string* error);

// Paints `scene` as a PNG of the canvas's size into `out`, which it leaves
// open: the host's marks for cars and ball under the plugin's lines. On
// failure `reason` says why (WritePicture and SaveOutputs in OutputFiles.h
// put it into files).
bool PaintPicture(const Scene& scene, std::FILE* out, std::string* reason);

}  // namespace vantorel_sim
