// frame-driver: draws a given number of overlay frames, for counting
// instructions under callgrind (scripts/callgrind-frame.sh).
//
//   frame-driver [--floor] [--sequential] [--cars N] FRAMES
//
// By default the plugin's frames, best-car mode, 8 cars, on FrameScene's
// match. The frames run inside vantorel_run_frames, and only inside it, after
// one warm-up frame, so that `--toggle-collect=vantorel_run_frames` counts the
// frames and nothing of the set-up. --floor draws the floor's frames instead
// of the plugin's.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "AllocationCounter.h"
#include "Floor.h"
#include "FrameScene.h"

extern "C" __attribute__((noinline)) void vantorel_run_frames(vantorel_test::FrameScene* scene,
                                                              long frames) {
  for (long i = 0; i < frames; ++i) scene->Frame();
}

namespace {

bool ParseCount(const char* text, long* value) {
  char* end = nullptr;
  *value = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && *value >= 0;
}

int Usage() {
  std::fprintf(stderr, "usage: frame-driver [--floor] [--sequential] [--cars N] FRAMES\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool floor = false;
  vantorel_test::Mode mode = vantorel_test::Mode::kBestCar;
  long cars = 8;
  long frames = -1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--floor") == 0) {
      floor = true;
    } else if (std::strcmp(argv[i], "--sequential") == 0) {
      mode = vantorel_test::Mode::kSequential;
    } else if (std::strcmp(argv[i], "--cars") == 0 && i + 1 < argc) {
      if (!ParseCount(argv[++i], &cars) || cars < 2 || cars > 1000000) return Usage();
    } else if (frames >= 0 || !ParseCount(argv[i], &frames)) {
      return Usage();
    }
  }
  if (frames < 0) return Usage();

  vantorel_test::FrameScene scene(mode, static_cast<int>(cars));
  if (!scene.ok()) {
    std::fprintf(stderr, "frame-driver: %s\n", scene.error().c_str());
    return 1;
  }
  if (floor) vantorel_bench::InstallFloor(scene);
  scene.Frame();
  if (!scene.DrewMarker()) {
    std::fprintf(stderr, "frame-driver: the frame drew no marker\n");
    return 1;
  }

  const auto before = vantorel_test::AllocationCount();
  vantorel_run_frames(&scene, frames);
  const auto allocations = vantorel_test::AllocationCount() - before;
  std::printf("%s frames: %ld, %s mode, %ld cars, heap allocations: %llu\n",
              floor ? "floor" : "plugin", frames, vantorel_test::ModeName(mode), cars,
              static_cast<unsigned long long>(allocations));
  return 0;
}
