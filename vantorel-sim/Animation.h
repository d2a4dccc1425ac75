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
#include "files/Status.h"

namespace vantorel_sim {

// The most frames one animation holds: ten minutes at 60 frames a second.
// The encoder keeps every compressed frame until the end (at 960 x 540, a
// moving match takes about 3 KB a frame), so a run of two billion frames
// must be refused, not attempted, and the rehearsal refuses it as soon as
// it has counted one frame too many.
constexpr long long kMaxAnimationFrames = 36000;
// WebP counts a frame's time in whole milliseconds, so a frame must last
// at least one; a minute is longer than any frame of a match needs.
constexpr float kShortestFrameSeconds = 0.001f;
constexpr float kLongestFrameSeconds = 60.0f;
// WebP's limit on either side of its canvas.
constexpr std::int32_t kMaxAnimationSide = 16383;

// What this build was built without that animations need: "libwebp", or
// else "Cairo"; empty when it can write them.
std::string MissingForAnimations();
// Refuses --animation in a build that cannot write animations.
files::Status CheckAnimationsSupported();

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

// The rules an animation's frames keep, as one frame breaks them: at most
// kMaxAnimationFrames frames, all of the first one's canvas size, a size
// WebP can hold, each lasting from kShortestFrameSeconds to
// kLongestFrameSeconds. The rehearsal's plan and the writer each say in
// their own words which rule a frame broke, the first they look at.
struct FrameFaults {
  bool tooMany = false;    // past kMaxAnimationFrames
  bool resized = false;    // not of the first frame's canvas size
  bool tooLarge = false;   // the first frame's canvas is too large
  bool badLength = false;  // too short or too long
  bool any() const { return tooMany || resized || tooLarge || badLength; }
};

// The one check of those rules, which the rehearsal and the writer both
// make: frame `number` (from 1) of size `canvas`, lasting `seconds`, in an
// animation whose first frame is of size `first`.
FrameFaults CheckFrame(long long number, Vector2 first, Vector2 canvas, float seconds);

// What a rehearsal of the script learns about the frames the run will
// draw, so that an animation that could not be written is refused before
// the first line runs. It needs to be shown the frames only up to the
// first past kMaxAnimationFrames: the rest can be counted without drawing
// them (ScriptPlayer::StopDrawingAfter).
class AnimationPlan {
 public:
  // The next frame the run draws.
  void AddFrame(Vector2 canvas, float seconds);

  // Whether the animation of a run that draws `frames` frames in all, the
  // first of them shown to AddFrame, can be written. A run that draws no
  // frame is written as one frame of the match as it stands at the end:
  // `endCanvas` and `endSeconds` describe that frame.
  files::Status Check(long long frames, Vector2 endCanvas, float endSeconds) const;

 private:
  long long frames_ = 0;        // shown so far
  Vector2 canvas_;              // the first frame's
  bool tooLarge_ = false;       // whether canvas_ is too large
  long long resizedFrame_ = 0;  // the first frame of another size; 0: none
  Vector2 resized_;
  long long badLengthFrame_ = 0;  // the first frame of a length out of bounds; 0: none
  float badLength_ = 0.0f;
};

#if defined(VANTOREL_HAVE_WEBP) && defined(VANTOREL_HAVE_CAIRO)
// What libwebp's text for a failure (WebPAnimEncoderGetError) means, in the
// program's words: "out of memory", for one.
std::string WebPFailure(const std::string& libwebpText);
#endif

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
  // The first frame sets the animation's canvas size. The frames keep the
  // rules of CheckFrame. After a failure nothing more is added, and Finish
  // reports the failure.
  void AddFrame(const Scene& scene, float seconds);
  long long frames() const { return frames_; }

  // Ends the animation: the whole WebP file in `webp`. Fails when any
  // frame failed, or no frame was added. Called once, after the last frame.
  files::Status Finish(std::string* webp);

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
