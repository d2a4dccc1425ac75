#include "Animation.h"

#include <cmath>
#include <cstddef>
#include <utility>

#include "files/Text.h"

#if defined(VANTOREL_HAVE_WEBP) && defined(VANTOREL_HAVE_CAIRO)
#define VANTOREL_ANIMATIONS 1
#include <webp/encode.h>
#include <webp/mux.h>
#endif

namespace vantorel_sim {

namespace {

std::string Size(Vector2 canvas) {
  return std::to_string(canvas.X) + " x " + std::to_string(canvas.Y);
}

}  // namespace

long long FrameClock::now() const {
  return std::llround((runStart_ + static_cast<double>(count_) * length_) * 1000.0);
}

void FrameClock::Tick(float seconds) {
  if (seconds != length_) {
    runStart_ += static_cast<double>(count_) * length_;
    length_ = seconds;
    count_ = 0;
  }
  ++count_;
}

bool CheckAnimationCanvas(Vector2 canvas, std::string* error) {
  std::string tooLarge;
  if (canvas.X <= kMaxAnimationSide && canvas.Y <= kMaxAnimationSide &&
      CheckPictureSize(canvas, &tooLarge)) {
    return true;
  }
  *error = "an animation of a " + Size(canvas) + " canvas is too large (at most " +
           std::to_string(kMaxAnimationSide) + " pixels a side and " +
           std::to_string(kMaxPicturePixels) + " pixels in all)";
  return false;
}

bool CheckFrameLength(long long number, float seconds, std::string* error) {
  if (seconds >= kShortestFrameSeconds && seconds <= kLongestFrameSeconds) return true;
  *error = "frame " + std::to_string(number) + " would last " + files::FormatFloat(seconds) +
           " s (motion's dt), and an animation's frames last from 1 ms to 60 s";
  return false;
}

void AnimationPlan::AddFrame(Vector2 canvas, float seconds) {
  ++frames_;
  if (frames_ == 1) {
    canvas_ = canvas;
  } else if (resizedFrame_ == 0 && (canvas.X != canvas_.X || canvas.Y != canvas_.Y)) {
    resizedFrame_ = frames_;
    resized_ = canvas;
  }
  std::string ignored;
  if (badLengthFrame_ == 0 && !CheckFrameLength(frames_, seconds, &ignored)) {
    badLengthFrame_ = frames_;
    badLength_ = seconds;
  }
}

bool AnimationPlan::Check(Vector2 endCanvas, float endSeconds, std::string* error) const {
  if (frames_ == 0) {
    // The one frame of the match as it stands.
    return CheckAnimationCanvas(endCanvas, error) && CheckFrameLength(1, endSeconds, error);
  }
  if (frames_ > kMaxAnimationFrames) {
    *error = "an animation holds at most " + std::to_string(kMaxAnimationFrames) +
             " frames, and this run draws " + std::to_string(frames_);
    return false;
  }
  if (resizedFrame_ != 0) {
    *error = "an animation keeps one canvas size, and this run's changes: frame 1 is " +
             Size(canvas_) + ", frame " + std::to_string(resizedFrame_) + " is " +
             Size(resized_);
    return false;
  }
  if (badLengthFrame_ != 0) return CheckFrameLength(badLengthFrame_, badLength_, error);
  return CheckAnimationCanvas(canvas_, error);
}

AnimationWriter::AnimationWriter(std::string path) : path_(std::move(path)) {}

void AnimationWriter::Fail(const std::string& reason) {
  if (error_.empty()) error_ = "cannot write the animation " + path_ + ": " + reason;
}

#ifndef VANTOREL_ANIMATIONS

bool AnimationsSupported(std::string* missing) {
#ifndef VANTOREL_HAVE_WEBP
  if (missing != nullptr) *missing = "libwebp";
#else
  if (missing != nullptr) *missing = "Cairo";
#endif
  return false;
}

namespace {

std::string Unsupported() {
  std::string missing;
  AnimationsSupported(&missing);
  return "this build cannot write animations (built without " + missing + ")";
}

}  // namespace

bool CheckAnimationsSupported(std::string* error) {
  *error = Unsupported() + ": --animation refused";
  return false;
}

struct AnimationWriter::Encoder {};

AnimationWriter::~AnimationWriter() = default;

void AnimationWriter::AddFrame(const Scene&, float) { Fail(Unsupported()); }

bool AnimationWriter::Finish(std::string*, std::string* error) {
  AddFrame(Scene(), 0.0f);
  *error = error_;
  return false;
}

#else  // VANTOREL_ANIMATIONS

namespace {

// libwebp's lossless effort, 0 (fastest) to 9 (smallest). On the moving
// example, 3 writes a quarter less than 2; 9 saves 3% more at forty times
// the time.
constexpr int kLosslessEffort = 3;

// Cairo's RGB24 words leave the top byte unset; WebP's ARGB words carry the
// alpha there, and every pixel of a frame is opaque.
void CopyPixels(const FramePainter& painter, WebPPicture* picture) {
  for (int y = 0; y < picture->height; ++y) {
    const std::uint32_t* from = painter.Row(y);
    std::uint32_t* to = picture->argb + static_cast<std::ptrdiff_t>(y) * picture->argb_stride;
    for (int x = 0; x < picture->width; ++x) to[x] = from[x] | 0xFF000000u;
  }
}

}  // namespace

bool AnimationsSupported(std::string*) { return true; }

bool CheckAnimationsSupported(std::string*) { return true; }

struct AnimationWriter::Encoder {
  explicit Encoder(Vector2 size) : canvas(size), painter(size) { WebPPictureInit(&picture); }
  ~Encoder() {
    if (encoder != nullptr) WebPAnimEncoderDelete(encoder);
    WebPPictureFree(&picture);
  }

  Vector2 canvas;
  FramePainter painter;
  WebPAnimEncoder* encoder = nullptr;
  WebPConfig config;
  WebPPicture picture;
};

AnimationWriter::~AnimationWriter() = default;

bool AnimationWriter::Start(Vector2 canvas) {
  std::string reason;
  if (!CheckAnimationCanvas(canvas, &reason)) {
    Fail(reason);
    return false;
  }
  auto encoder = std::make_unique<Encoder>(canvas);
  WebPAnimEncoderOptions options;
  WebPPicture& picture = encoder->picture;
  picture.use_argb = 1;
  picture.width = canvas.X;
  picture.height = canvas.Y;
  // Lossless, so that every pixel is Cairo's; never mixed with lossy frames.
  const bool ready = WebPAnimEncoderOptionsInit(&options) && WebPConfigInit(&encoder->config) &&
                     WebPConfigLosslessPreset(&encoder->config, kLosslessEffort) &&
                     WebPPictureAlloc(&picture);
  options.allow_mixed = 0;
  if (ready) encoder->encoder = WebPAnimEncoderNew(canvas.X, canvas.Y, &options);
  if (encoder->encoder == nullptr) {
    // Only a lack of memory stops libwebp here, which no test can arrange.
    Fail("libwebp could not start an encoder");  // GCOVR_EXCL_LINE: out of memory
    return false;                                 // GCOVR_EXCL_LINE: out of memory
  }
  encoder_ = std::move(encoder);
  return true;
}

void AnimationWriter::AddFrame(const Scene& scene, float seconds) {
  if (!error_.empty() || (encoder_ == nullptr && !Start(scene.canvas))) return;
  std::string reason;
  if (frames_ == kMaxAnimationFrames) {
    Fail("an animation holds at most " + std::to_string(kMaxAnimationFrames) + " frames");
    return;
  }
  if (scene.canvas.X != encoder_->canvas.X || scene.canvas.Y != encoder_->canvas.Y) {
    Fail("the canvas changed from " + Size(encoder_->canvas) + " to " + Size(scene.canvas) +
         " at frame " + std::to_string(frames_ + 1));
    return;
  }
  if (!CheckFrameLength(frames_ + 1, seconds, &reason) ||
      !encoder_->painter.Paint(scene, &reason)) {
    Fail(reason);
    return;
  }
  CopyPixels(encoder_->painter, &encoder_->picture);
  const int timestamp = static_cast<int>(clock_.now());
  if (!WebPAnimEncoderAdd(encoder_->encoder, &encoder_->picture, timestamp, &encoder_->config)) {
    Fail(WebPAnimEncoderGetError(encoder_->encoder));  // GCOVR_EXCL_LINE: out of memory
    return;                                            // GCOVR_EXCL_LINE: out of memory
  }
  clock_.Tick(seconds);
  ++frames_;
}

bool AnimationWriter::Finish(std::string* webp, std::string* error) {
  if (frames_ == 0) Fail("no frame to write");
  WebPData data;
  WebPDataInit(&data);
  if (error_.empty()) {
    WebPAnimEncoder* encoder = encoder_->encoder;
    const int end = static_cast<int>(clock_.now());
    if (!WebPAnimEncoderAdd(encoder, nullptr, end, nullptr) ||
        !WebPAnimEncoderAssemble(encoder, &data)) {
      Fail(WebPAnimEncoderGetError(encoder));  // GCOVR_EXCL_LINE: out of memory
    }
  }
  // The painter goes with the encoder, and Cairo's font caches with it.
  encoder_.reset();
  const bool made = error_.empty();
  if (made) {
    webp->assign(reinterpret_cast<const char*>(data.bytes), data.size);
  } else {
    *error = error_;
  }
  WebPDataClear(&data);
  return made;
}

#endif  // VANTOREL_ANIMATIONS

}  // namespace vantorel_sim
