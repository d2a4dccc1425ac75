#pragma once

// A run's drawn frames as one animated WebP (--animation): each frame
// painted as --picture paints a scene, encoded losslessly as it is drawn,
// so that the file's pixels are exactly Cairo's. WebP rather than GIF: a
// GIF's 256 colours cannot hold the antialiased edges Cairo paints.

#include <cstdint>
#include <memory>
#include <string>

#include "Picture.h"
#include "Vector.h"

namespace vantorel_sim {

// The most frames one animation holds: 20 seconds at 60 frames a second.
// The encoder keeps every encoded frame until the end, so a run of two
// billion frames must be refused, not attempted.
constexpr long long kMaxAnimationFrames = 1200;
// WebP counts a frame's time in whole milliseconds, so a frame must last
// at least one; a minute is longer than any frame of a match needs, and
// keeps the whole animation's time far inside WebP's 32-bit timestamps.
constexpr float kShortestFrameSeconds = 0.001f;
constexpr float kLongestFrameSeconds = 60.0f;
// WebP's limit on either side of its canvas.
constexpr std::int32_t kMaxAnimationSide = 16383;

// Whether this build can write animations. When it cannot, `missing` (if
// not null) names what it was built without: libwebp, or else Cairo.
bool AnimationsSupported(std::string* missing = nullptr);
// Refuses --animation in a build that cannot write animations: false, with
// `error` saying why.
bool CheckAnimationsSupported(std::string* error);

// Whole-millisecond timestamps of consecutive frames of given lengths,
// worked out from the running total so that rounding never adds up: in a
// run of frames all of length L, frame k starts at round(k * L * 1000) ms,
// halves rounded away from zero. A change of length starts a new run at
// the time the last one ended.
class FrameClock {
 public:
  // When the next frame starts, in milliseconds.
  long long now() const;
  // The next frame lasts `seconds`; afterwards now() is when it ends.
  void Tick(float seconds);

 private:
  double runStart_ = 0.0;  // seconds at which the frames of length_ began
  float length_ = 0.0f;
  long long count_ = 0;    // frames of length_ so far
};

// What a rehearsal of the script learns about the frames the run will
// draw, so that an animation that could not be written is refused before
// the first line runs: more frames than kMaxAnimationFrames, a canvas that
// is too large or changes size, a frame shorter than a millisecond or
// longer than a minute.
class AnimationPlan {
 public:
  void AddFrame(Vector2 canvas, float seconds);
  long long frames() const { return frames_; }

  // Whether the animation can be written; when not, `error` says why. A
  // run that draws no frame is written as one frame of the match as it
  // stands at the end: `endCanvas` and `endSeconds` describe that frame.
  bool Check(Vector2 endCanvas, float endSeconds, std::string* error) const;

 private:
  long long frames_ = 0;
  Vector2 canvas_;              // the first frame's
  long long resizedFrame_ = 0;  // the first frame of another size; 0: none
  Vector2 resized_;
  long long badLengthFrame_ = 0;  // the first frame of a length out of bounds; 0: none
  float badLength_ = 0.0f;
};

// Whether a canvas of this size can be painted and stored as an
// animation; when not, `error` says why.
bool CheckAnimationCanvas(Vector2 canvas, std::string* error);
// Whether frame `number` (from 1) may last `seconds`; when not, `error`
// says why.
bool CheckFrameLength(long long number, float seconds, std::string* error);

// Makes the animation of one run. Frames are painted and encoded one at a
// time as they come, so that no more than one frame's pixels are held;
// Finish assembles the whole file in memory, for SaveOutputs
// (OutputFiles.h) to write once the run has played to its end. Owns its
// encoder and painter.
class AnimationWriter {
 public:
  // `path` as the user gave it, for messages.
  explicit AnimationWriter(std::string path);
  ~AnimationWriter();
  AnimationWriter(const AnimationWriter&) = delete;
  AnimationWriter& operator=(const AnimationWriter&) = delete;

  // Paints `scene` and encodes it as the next frame, lasting `seconds`.
  // The first frame sets the animation's canvas size. The limits of
  // AnimationPlan hold here too. After a failure nothing more is added,
  // and Finish reports the failure.
  void AddFrame(const Scene& scene, float seconds);
  long long frames() const { return frames_; }

  // Ends the animation: the whole WebP file in `webp`. False with `error`
  // set when any frame failed, or no frame was added. Called once, after
  // the last frame.
  bool Finish(std::string* webp, std::string* error);

 private:
  bool Start(Vector2 canvas);  // with the first frame
  void Fail(const std::string& reason);

  struct Encoder;  // libwebp's encoder, and the painter feeding it
  std::string path_;
  std::unique_ptr<Encoder> encoder_;
  FrameClock clock_;
  long long frames_ = 0;
  std::string error_;  // the first failure, as a whole message
};

}  // namespace vantorel_sim
