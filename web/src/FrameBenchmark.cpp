#include "FrameBenchmark.h"

#include <emscripten.h>

#include "FrameScene.h"
#include "LinkedPlugin.h"
#include "Paths.h"

namespace vantorel_test {

// FrameScene loads the plugin by this path: here, the linked module.
const char* PluginModule() { return vantorel_web::kPluginFile; }

}  // namespace vantorel_test

namespace vantorel_web {

double TimeFrames(int cars, int frames) {
  vantorel_test::FrameScene scene(vantorel_test::Mode::kBestCar, cars);
  if (!scene.ok()) return -1;
  scene.Frame();
  if (!scene.DrewMarker()) return -1;
  const double start = emscripten_get_now();
  for (int i = 0; i < frames; ++i) scene.Frame();
  return (emscripten_get_now() - start) * 1e6 / frames;
}

}  // namespace vantorel_web
