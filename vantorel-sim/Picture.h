#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Vector.h"
#include "files/Status.h"
#include "simhost/Host.h"

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

// Canvas sizes beyond these would need hundreds of megabytes of pixels. An
// 8K frame (7680 x 4320) still fits.
constexpr std::int64_t kMaxPictureSide = 16384;
constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 25;

// Whether a picture of a canvas this size may be painted; pictures are held
// whole in memory, so a canvas of absurd size is refused up front.
files::Status CheckPictureSize(Vector2 canvas);

// Paints `scene` as a PNG of the canvas's size, whole in `png`: the host's
// marks for cars and ball under the plugin's lines. The file is written by
// OutputFiles.h.
files::Status PaintPicture(const Scene& scene, std::string* png);

// Paints scenes of one canvas size, one after another, into one image it
// holds in memory, exactly as PaintPicture paints them: the frames of an
// animation. Owns the image; each Paint replaces the last painting. Cairo
// and fontconfig keep caches of fonts while any painter lives, and let them
// go with the last one.
class FramePainter {
 public:
  // `canvas` must pass CheckPictureSize.
  explicit FramePainter(Vector2 canvas);
  ~FramePainter();
  FramePainter(const FramePainter&) = delete;
  FramePainter& operator=(const FramePainter&) = delete;

  // Paints `scene`, which must be of the painter's canvas size. A build
  // without Cairo always fails.
  files::Status Paint(const Scene& scene);
  // Row `y` of the last painting: one 32-bit word per pixel, 0xXXRRGGBB,
  // the top byte unused.
  const std::uint32_t* Row(std::int32_t y) const;
  // The last painting as a PNG, whole in `png`.
  files::Status WritePng(std::string* png) const;

 private:
  struct Image;
  std::unique_ptr<Image> image_;
};

}  // namespace vantorel_sim
