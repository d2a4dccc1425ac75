#include "Animation.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <utility>

#include "files/Text.h"

#if defined(VANTOREL_HAVE_WEBP) && defined(VANTOREL_HAVE_CAIRO)
#define VANTOREL_ANIMATIONS 1
#include <webp/encode.h>
#include <webp/mux.h>
#endif

namespace vantorel_sim {

namespace {

using files::Status;

std::string Size(Vector2 canvas) {
  return std::to_string(canvas.X) + " x " + std::to_string(canvas.Y);
}

Status TooLarge(Vector2 canvas) {
  return Status::Error("an animation of a " + Size(canvas) + " canvas is too large (at most " +
                       std::to_string(kMaxAnimationSide) + " pixels a side and " +
                       std::to_string(kMaxPicturePixels) + " pixels in all)");
}

Status BadLength(long long number, float seconds) {
  return Status::Error("frame " + std::to_string(number) + " would last " +
                       files::FormatFloat(seconds) +
                       " s (motion's dt), and an animation's frames last from 1 ms to 60 s");
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

FrameFaults CheckFrame(long long number, Vector2 first, Vector2 canvas, float seconds) {
  FrameFaults faults;
  faults.tooMany = number > kMaxAnimationFrames;
  faults.resized = canvas.X != first.X || canvas.Y != first.Y;
  // The frames after the first are of its size, or resized.
  faults.tooLarge = number == 1 && !(canvas.X <= kMaxAnimationSide &&
                                     canvas.Y <= kMaxAnimationSide &&
                                     CheckPictureSize(canvas).ok());
  faults.badLength = !(seconds >= kShortestFrameSeconds && seconds <= kLongestFrameSeconds);
  return faults;
}

void AnimationPlan::AddFrame(Vector2 canvas, float seconds) {
  ++frames_;
  if (frames_ == 1) canvas_ = canvas;
  const FrameFaults faults = CheckFrame(frames_, canvas_, canvas, seconds);
  tooLarge_ = tooLarge_ || faults.tooLarge;
  if (faults.resized && resizedFrame_ == 0) {
    resizedFrame_ = frames_;
    resized_ = canvas;
  }
  if (faults.badLength && badLengthFrame_ == 0) {
    badLengthFrame_ = frames_;
    badLength_ = seconds;
  }
}

Status AnimationPlan::Check(long long frames, Vector2 endCanvas, float endSeconds) const {
  if (frames == 0) {
    // The one frame of the match as it stands.
    const FrameFaults end = CheckFrame(1, endCanvas, endCanvas, endSeconds);
    if (end.tooLarge) return TooLarge(endCanvas);
    if (end.badLength) return BadLength(1, endSeconds);
    return Status::Ok();
  }
  if (frames > kMaxAnimationFrames) {
    return Status::Error("an animation holds at most " + std::to_string(kMaxAnimationFrames) +
                         " frames, and this run draws " + std::to_string(frames));
  }
  if (resizedFrame_ != 0) {
    return Status::Error("an animation keeps one canvas size, and this run's changes: frame 1 is " +
                         Size(canvas_) + ", frame " + std::to_string(resizedFrame_) + " is " +
                         Size(resized_));
  }
  if (badLengthFrame_ != 0) return BadLength(badLengthFrame_, badLength_);
  if (tooLarge_) return TooLarge(canvas_);
  return Status::Ok();
}

AnimationWriter::AnimationWriter(std::string path) : path_(std::move(path)) {}

void AnimationWriter::Fail(const std::string& reason) {
  if (error_.empty()) error_ = "cannot write the animation " + path_ + ": " + reason;
}

#ifndef VANTOREL_ANIMATIONS

std::string MissingForAnimations() {
#ifndef VANTOREL_HAVE_WEBP
  return "libwebp";
#else
  return "Cairo";
#endif
}

namespace {

std::string Unsupported() {
  return "this build cannot write animations (built without " + MissingForAnimations() + ")";
}

}  // namespace

Status CheckAnimationsSupported() { return Status::Error(Unsupported() + ": --animation refused"); }

struct AnimationWriter::Encoder {};

AnimationWriter::~AnimationWriter() = default;

void AnimationWriter::AddFrame(const Scene&, float) { Fail(Unsupported()); }

Status AnimationWriter::Finish(std::string*) {
  AddFrame(Scene(), 0.0f);
  return Status::Error(error_);
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

// Why the writer refuses frame `number` of size `canvas`, lasting
// `seconds`, after the frames before it of size `first`.
Status Refusal(long long number, Vector2 first, Vector2 canvas, float seconds) {
  const FrameFaults faults = CheckFrame(number, first, canvas, seconds);
  if (faults.tooLarge) return TooLarge(canvas);
  if (faults.tooMany) {
    return Status::Error("an animation holds at most " + std::to_string(kMaxAnimationFrames) +
                         " frames");
  }
  if (faults.resized) {
    return Status::Error("the canvas changed from " + Size(first) + " to " + Size(canvas) +
                         " at frame " + std::to_string(number));
  }
  if (faults.badLength) return BadLength(number, seconds);
  return Status::Ok();
}

// libwebp takes timestamps as int, and lets them wrap around: only the
// time between two frames counts, and the file keeps durations. The total
// of a long animation in milliseconds, taken modulo 2^32.
int WebPTimestamp(long long milliseconds) {
  const auto wrapped = static_cast<long long>(static_cast<std::uint32_t>(milliseconds));
  return static_cast<int>(wrapped <= INT_MAX ? wrapped : wrapped - (1LL << 32));
}

}  // namespace

std::string MissingForAnimations() { return std::string(); }

// libwebp says why it failed only as text, the code in it.
std::string WebPFailure(const std::string& libwebpText) {
  const auto codeAfter = [&](const std::string& label) {
    const std::size_t at = libwebpText.find(label);
    return at == std::string::npos ? 0 : std::atoi(libwebpText.c_str() + at + label.size());
  };
  if (codeAfter("WebPMuxError: ") == WEBP_MUX_MEMORY_ERROR ||
      codeAfter("assembling WebP: ") == WEBP_MUX_MEMORY_ERROR) {
    return "out of memory";
  }
  switch (codeAfter("WebPEncodingError: ")) {
    case VP8_ENC_ERROR_OUT_OF_MEMORY:
    case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY:
      return "out of memory";
    case VP8_ENC_ERROR_FILE_TOO_BIG:
      return "it would be larger than a WebP file can be (4 GiB)";
    case VP8_ENC_ERROR_BAD_DIMENSION:
      return "its canvas is larger than WebP holds";
    default:
      return "libwebp could not encode a frame";
  }
}

Status CheckAnimationsSupported() { return Status::Ok(); }

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
    Fail("out of memory");  // GCOVR_EXCL_LINE: out of memory
    return false;           // GCOVR_EXCL_LINE: out of memory
  }
  encoder_ = std::move(encoder);
  return true;
}

void AnimationWriter::AddFrame(const Scene& scene, float seconds) {
  if (!error_.empty()) return;
  const Vector2 first = encoder_ != nullptr ? encoder_->canvas : scene.canvas;
  Status status = Refusal(frames_ + 1, first, scene.canvas, seconds);
  if (status.ok() && encoder_ == nullptr && !Start(scene.canvas)) return;
  if (status.ok()) status = encoder_->painter.Paint(scene);
  if (!status.ok()) {
    Fail(status.message());
    return;
  }
  CopyPixels(encoder_->painter, &encoder_->picture);
  const int timestamp = WebPTimestamp(clock_.now());
  if (!WebPAnimEncoderAdd(encoder_->encoder, &encoder_->picture, timestamp, &encoder_->config)) {
    Fail(WebPFailure(WebPAnimEncoderGetError(encoder_->encoder)));  // GCOVR_EXCL_LINE: no memory
    return;                                                         // GCOVR_EXCL_LINE: no memory
  }
  clock_.Tick(seconds);
  ++frames_;
}

Status AnimationWriter::Finish(std::string* webp) {
  if (frames_ == 0) Fail("no frame to write");
  WebPData data;
  WebPDataInit(&data);
  if (error_.empty()) {
    WebPAnimEncoder* encoder = encoder_->encoder;
    const int end = WebPTimestamp(clock_.now());
    if (!WebPAnimEncoderAdd(encoder, nullptr, end, nullptr) ||
        !WebPAnimEncoderAssemble(encoder, &data)) {
      Fail(WebPFailure(WebPAnimEncoderGetError(encoder)));  // GCOVR_EXCL_LINE: out of memory
    }
  }
  // The painter goes with the encoder, and Cairo's font caches with it.
  encoder_.reset();
  const bool made = error_.empty();
  if (made) webp->assign(reinterpret_cast<const char*>(data.bytes), data.size);
  WebPDataClear(&data);
  return made ? Status::Ok() : Status::Error(error_);
}

#endif  // VANTOREL_ANIMATIONS

}  // namespace vantorel_sim
