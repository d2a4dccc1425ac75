#include "Picture.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>

#include "simhost/Projection.h"

#ifdef VANTOREL_HAVE_CAIRO
#include <cairo.h>
#endif
#ifdef VANTOREL_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace vantorel_sim {

Scene CaptureScene(simhost::Host& host) {
  const auto match = host.match().Read();
  Scene scene;
  scene.canvas = match->canvasSize;
  const simhost::CanvasProjection projection(*match);
  scene.cars.reserve(match->cars().size());
  for (const auto& car : match->cars()) {
    if (!car) continue;
    const Vector2 point = projection.Project(car->location);
    scene.cars.push_back(Scene::CarMark{point, car->playerInfo.team, car->owner});
  }
  scene.hasBall = match->hasBall;
  if (scene.hasBall) scene.ball = projection.Project(match->ball.location);
  scene.drawing = host.lastFrame();
  return scene;
}

files::Status CheckPictureSize(Vector2 canvas) {
  const std::int64_t width = canvas.X;
  const std::int64_t height = canvas.Y;
  if (width <= kMaxPictureSide && height <= kMaxPictureSide &&
      width * height <= kMaxPicturePixels) {
    return files::Status::Ok();
  }
  return files::Status::Error(
      "a picture of a " + std::to_string(width) + " x " + std::to_string(height) +
      " canvas is too large (at most " + std::to_string(kMaxPictureSide) +
      " pixels a side and " + std::to_string(kMaxPicturePixels) + " pixels in all)");
}

#ifndef VANTOREL_HAVE_CAIRO

namespace {

const char kNoCairo[] = "this build of vantorel-sim cannot write pictures (built without Cairo)";

}  // namespace

bool PicturesSupported() { return false; }

files::Status PaintPicture(const Scene&, std::string*) { return files::Status::Error(kNoCairo); }

struct FramePainter::Image {};

FramePainter::FramePainter(Vector2) {}

FramePainter::~FramePainter() = default;

files::Status FramePainter::Paint(const Scene&) { return files::Status::Error(kNoCairo); }

const std::uint32_t* FramePainter::Row(std::int32_t) const { return nullptr; }

files::Status FramePainter::WritePng(std::string*) const { return files::Status::Error(kNoCairo); }

#else

namespace {

struct Colour {
  double red, green, blue, alpha;
};

constexpr Colour kBackground{0.12, 0.16, 0.13, 1.0};
constexpr Colour kBlueTeam{0.20, 0.45, 1.00, 1.0};
constexpr Colour kOrangeTeam{1.00, 0.55, 0.10, 1.0};
constexpr Colour kOtherTeam{0.60, 0.60, 0.60, 1.0};
constexpr Colour kBall{0.95, 0.95, 0.95, 1.0};
constexpr Colour kLabel{0.92, 0.92, 0.92, 1.0};
constexpr double kCarRadius = 8.0;
constexpr double kBallRadius = 10.0;
constexpr double kLabelSize = 15.0;
constexpr double kPi = 3.14159265358979323846;

void SetColour(cairo_t* cr, const Colour& c) {
  cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.alpha);
}

// Cairo draws in fixed point; a mark far off the canvas is not drawn at all.
bool NearCanvas(const Vector2& point, const Vector2& canvas) {
  constexpr std::int64_t kMargin = 200;
  const std::int64_t x = point.X;
  const std::int64_t y = point.Y;
  return x >= -kMargin && y >= -kMargin && x <= canvas.X + kMargin && y <= canvas.Y + kMargin;
}

// A canvas pixel (X, Y) is the square from (X, Y) to (X + 1, Y + 1): its
// centre is where a point drawn there lies.
double Centre(std::int32_t coordinate) { return coordinate + 0.5; }

void PaintDisc(cairo_t* cr, const Vector2& point, double radius, const Colour& fill) {
  cairo_new_path(cr);
  cairo_arc(cr, Centre(point.X), Centre(point.Y), radius, 0.0, 2.0 * kPi);
  SetColour(cr, fill);
  cairo_fill_preserve(cr);
  cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 0.8);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
}

const Colour& TeamColour(std::uint8_t team) {
  if (team == 0) return kBlueTeam;
  if (team == 1) return kOrangeTeam;
  return kOtherTeam;
}

void PaintCar(cairo_t* cr, const Scene::CarMark& car) {
  PaintDisc(cr, car.point, kCarRadius, TeamColour(car.team));
  SetColour(cr, kLabel);
  cairo_move_to(cr, Centre(car.point.X) + kCarRadius + 4.0, Centre(car.point.Y) + kLabelSize + 2.0);
  cairo_show_text(cr, car.owner.c_str());
}

// Cuts the segment a-b down to the part inside `box` (x0, y0, x1, y1);
// false when nothing is left. Keeps far-off ends out of Cairo's fixed point.
bool ClipSegment(double box[4], double* ax, double* ay, double* bx, double* by) {
  const double dx = *bx - *ax;
  const double dy = *by - *ay;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {*ax - box[0], box[2] - *ax, *ay - box[1], box[3] - *ay};
  double enter = 0.0, leave = 1.0;
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0.0) enter = std::max(enter, t);
    else leave = std::min(leave, t);
  }
  if (enter > leave) return false;
  const double x0 = *ax, y0 = *ay;
  *ax = x0 + enter * dx;
  *ay = y0 + enter * dy;
  *bx = x0 + leave * dx;
  *by = y0 + leave * dy;
  return true;
}

void PaintLine(cairo_t* cr, const simhost::DrawCall& call, const Vector2& canvas) {
  if (!(call.width > 0.0f) || !std::isfinite(call.width)) return;
  const double width = std::min<double>(call.width, 4.0 * std::max(canvas.X, canvas.Y));
  double box[4] = {-width - 2.0, -width - 2.0, canvas.X + width + 2.0, canvas.Y + width + 2.0};
  double ax = Centre(call.start.X), ay = Centre(call.start.Y);
  double bx = Centre(call.end.X), by = Centre(call.end.Y);
  if (!ClipSegment(box, &ax, &ay, &bx, &by)) return;
  cairo_new_path(cr);
  cairo_move_to(cr, ax, ay);
  cairo_line_to(cr, bx, by);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

void PaintDrawing(cairo_t* cr, const Scene& scene) {
  // A frame draws in the canvas's starting colour until the plugin sets one.
  cairo_set_source_rgba(cr, 1.0, 1.0, 1.0, 1.0);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  for (const simhost::DrawCall& call : scene.drawing) {
    if (call.kind == simhost::DrawCall::Kind::kColor) {
      cairo_set_source_rgba(cr, call.color[0] / 255.0, call.color[1] / 255.0,
                            call.color[2] / 255.0, call.color[3] / 255.0);
    } else {
      PaintLine(cr, call, scene.canvas);
    }
  }
}

void PaintScene(cairo_t* cr, const Scene& scene) {
  SetColour(cr, kBackground);
  cairo_paint(cr);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, kLabelSize);
  if (scene.hasBall && NearCanvas(scene.ball, scene.canvas)) {
    PaintDisc(cr, scene.ball, kBallRadius, kBall);
  }
  for (const Scene::CarMark& car : scene.cars) {
    if (NearCanvas(car.point, scene.canvas)) PaintCar(cr, car);
  }
  PaintDrawing(cr, scene);
}

// Cairo's PNG writer hands the file over piece by piece; no exception may
// pass through its C frames.
cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
  try {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  } catch (const std::bad_alloc&) {  // GCOVR_EXCL_LINE: out of memory
    return CAIRO_STATUS_NO_MEMORY;  // GCOVR_EXCL_LINE: out of memory
  }
  return CAIRO_STATUS_SUCCESS;
}

// The painters alive: the font caches go with the last of them.
std::atomic<int> livePainters{0};

// The font caches would otherwise live until the process ends, and show up
// as leaks. Safe only while no Cairo object lives, which holds once the last
// painter is gone: the program paints nothing else.
void ReleaseFontCaches() {
  cairo_debug_reset_static_data();
#ifdef VANTOREL_HAVE_FONTCONFIG
  FcFini();
#endif
}

}  // namespace

struct FramePainter::Image {
  cairo_surface_t* surface = nullptr;
};

FramePainter::FramePainter(Vector2 canvas) : image_(std::make_unique<Image>()) {
  ++livePainters;
  image_->surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, canvas.X, canvas.Y);
}

FramePainter::~FramePainter() {
  cairo_surface_destroy(image_->surface);
  if (--livePainters == 0) ReleaseFontCaches();
}

files::Status FramePainter::Paint(const Scene& scene) {
  cairo_t* cr = cairo_create(image_->surface);
  PaintScene(cr, scene);
  const cairo_status_t status = cairo_status(cr);
  cairo_destroy(cr);
  cairo_surface_flush(image_->surface);
  if (status == CAIRO_STATUS_SUCCESS) return files::Status::Ok();
  return files::Status::Error(std::string("cannot paint it: ") + cairo_status_to_string(status));
}

const std::uint32_t* FramePainter::Row(std::int32_t y) const {
  const unsigned char* data = cairo_image_surface_get_data(image_->surface);
  const int stride = cairo_image_surface_get_stride(image_->surface);
  return reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
}

bool PicturesSupported() { return true; }

files::Status FramePainter::WritePng(std::string* png) const {
  png->clear();
  const cairo_status_t status = cairo_surface_write_to_png_stream(image_->surface, Append, png);
  if (status == CAIRO_STATUS_SUCCESS) return files::Status::Ok();
  return files::Status::Error(cairo_status_to_string(status));  // GCOVR_EXCL_LINE: out of memory
}

files::Status PaintPicture(const Scene& scene, std::string* png) {
  files::Status status = CheckPictureSize(scene.canvas);
  if (!status.ok()) return status;
  FramePainter painter(scene.canvas);
  status = painter.Paint(scene);
  return status.ok() ? painter.WritePng(png) : status;
}

#endif  // VANTOREL_HAVE_CAIRO

}  // namespace vantorel_sim
