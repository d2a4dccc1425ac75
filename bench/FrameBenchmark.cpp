// vantorel-bench: what one overlay frame costs, set against its floor.
//
// "frame" runs Host::Frame with the plugin's Render as the drawable; "floor"
// runs Host::Frame with FloorFrame in its place, on the same match. Both pass
// through the same host, so their ratio is what the plugin adds to the least
// a frame that draws the same marker can cost. Every figure carries the heap
// allocations made per iteration, counted by the replaced operator new.
//
// After the Google Benchmark output a table sets each frame beside its floor.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "Floor.h"
#include "FrameScene.h"
#include "PluginSettings.h"

namespace {

using vantorel_test::AllocationCount;
using vantorel_bench::InstallFloor;
using vantorel_test::FrameScene;
using vantorel_test::Mode;
using vantorel_test::ModeName;

constexpr int kSizes[] = {2, 6, 8, 64, 1024};
constexpr Mode kModes[] = {Mode::kBestCar, Mode::kSequential};

// Times `run` in the benchmark loop, after one untimed call that lets the host
// size its buffers, and reports the heap allocations per iteration.
template <typename Run>
void Measure(benchmark::State& state, Run run) {
  run();
  const std::uint64_t before = AllocationCount();
  for (auto _ : state) run();
  const std::uint64_t after = AllocationCount();
  state.counters["allocs"] =
      benchmark::Counter(static_cast<double>(after - before), benchmark::Counter::kAvgIterations);
}

void MeasureFrames(benchmark::State& state, FrameScene& scene) {
  scene.Frame();
  if (!scene.DrewMarker()) {
    state.SkipWithError("the frame drew no marker");
    return;
  }
  Measure(state, [&scene] { scene.Frame(); });
}

// The plugin's frames, or with `floor` the floor's.
void BM_Frame(benchmark::State& state, Mode mode, int cars, bool floor) {
  FrameScene scene(mode, cars);
  if (!scene.ok()) return state.SkipWithError(scene.error().c_str());
  if (floor) InstallFloor(scene);
  MeasureFrames(state, scene);
}

// The same pair with the host's wrapper calls each taking the match's lock,
// as they do when other threads may use the match: what the locks cost.
void BM_LockedHost(benchmark::State& state, bool floor) {
  FrameScene scene(Mode::kBestCar, 8, simhost::Locking::kLocked);
  if (!scene.ok()) return state.SkipWithError(scene.error().c_str());
  if (floor) InstallFloor(scene);
  MeasureFrames(state, scene);
}

// A frame with vantorel_render_next off: the host's frame, the game test,
// server and camera, and no candidate query. Taken from a full frame it
// leaves roughly the candidate query and the marker.
void BM_FrameNoCandidate(benchmark::State& state) {
  FrameScene scene(Mode::kBestCar, 8);
  scene.Set(vantorel_test::NameOf(&VantorelPlugin::renderNext), "0");
  if (!scene.ok()) return state.SkipWithError(scene.error().c_str());
  Measure(state, [&scene] { scene.Frame(); });
}

// One press of the pickup button, best-car mode, every diagnostic line
// logged (to a listener that drops it). For information: a press is once per
// button press, not per frame.
void BM_Press(benchmark::State& state) {
  FrameScene scene(Mode::kBestCar, 8);
  scene.Set(vantorel_test::NameOf(&VantorelPlugin::enabled), "1");
  if (!scene.ok()) return state.SkipWithError(scene.error().c_str());
  Measure(state, [&scene] { scene.Press(); });
}

std::string Name(const char* kind, Mode mode, int cars) {
  return std::string(kind) + "/" + ModeName(mode) + "/" + std::to_string(cars);
}

void RegisterAll() {
  for (Mode mode : kModes) {
    for (int cars : kSizes) {
      for (bool floor : {false, true}) {
        benchmark::RegisterBenchmark(Name(floor ? "floor" : "frame", mode, cars).c_str(),
                                     BM_Frame, mode, cars, floor)
            ->Unit(benchmark::kNanosecond);
      }
    }
  }
  benchmark::RegisterBenchmark("frame/locked-host/8", BM_LockedHost, false)
      ->Unit(benchmark::kNanosecond);
  benchmark::RegisterBenchmark("floor/locked-host/8", BM_LockedHost, true)
      ->Unit(benchmark::kNanosecond);
  benchmark::RegisterBenchmark("frame/no-candidate/8", BM_FrameNoCandidate)
      ->Unit(benchmark::kNanosecond);
  benchmark::RegisterBenchmark("press/best/8", BM_Press)->Unit(benchmark::kNanosecond);
}

bool SameDrawing(const std::vector<simhost::DrawCall>& a, const std::vector<simhost::DrawCall>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].kind != b[i].kind || std::memcmp(a[i].color, b[i].color, 4) != 0 ||
        a[i].start.X != b[i].start.X || a[i].start.Y != b[i].start.Y ||
        a[i].end.X != b[i].end.X || a[i].end.Y != b[i].end.Y || a[i].width != b[i].width) {
      return false;
    }
  }
  return true;
}

// A floor that drew something else than the plugin would be the floor of
// another frame: check every pair once before measuring any.
bool CheckFloors() {
  for (Mode mode : kModes) {
    for (int cars : kSizes) {
      FrameScene plugin(mode, cars);
      FrameScene floor(mode, cars);
      if (!plugin.ok() || !floor.ok()) {
        std::fprintf(stderr, "vantorel-bench: %s\n",
                     (plugin.ok() ? floor : plugin).error().c_str());
        return false;
      }
      InstallFloor(floor);
      plugin.Frame();
      floor.Frame();
      if (!plugin.DrewMarker() || !SameDrawing(plugin.host().lastFrame(), floor.host().lastFrame())) {
        std::fprintf(stderr, "vantorel-bench: %s: the floor does not draw what the plugin draws\n",
                     Name("frame", mode, cars).c_str());
        return false;
      }
    }
  }
  return true;
}

// The console output, and each benchmark's figure kept for the table: the
// median of the repetitions when there are several, else the one run.
class TableReporter : public benchmark::ConsoleReporter {
 public:
  struct Figure {
    double ns = 0;
    double allocs = 0;
  };

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type == Run::RT_Aggregate && !median) continue;
      const std::string name = run.run_name.str();
      if (!median && medians_.count(name)) continue;
      if (median) medians_[name] = true;
      Figure& figure = figures_[name];
      figure.ns = run.GetAdjustedCPUTime();
      const auto allocs = run.counters.find("allocs");
      figure.allocs = allocs == run.counters.end() ? 0 : allocs->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintTable() const {
    std::printf("\nCPU time per frame (median when repeated); allocs are heap allocations per frame\n");
    std::printf("%-5s %5s %11s %11s %6s %9s %9s %7s %7s\n", "mode", "cars", "frame ns", "floor ns",
                "ratio", "ns/car", "+ns/car", "allocs", "floor");
    for (Mode mode : kModes) {
      int previous = 0;
      for (int cars : kSizes) {
        const Figure* frame = Find(Name("frame", mode, cars));
        const Figure* floor = Find(Name("floor", mode, cars));
        if (frame == nullptr || floor == nullptr) continue;
        // What each car added since the previous size: flat when the frame
        // grows linearly with the list.
        const Figure* before = previous ? Find(Name("frame", mode, previous)) : nullptr;
        char added[32] = "-";
        if (before != nullptr) {
          std::snprintf(added, sizeof added, "%.2f", (frame->ns - before->ns) / (cars - previous));
        }
        std::printf("%-5s %5d %11.1f %11.1f %6.3f %9.2f %9s %7.2f %7.2f\n", ModeName(mode), cars,
                    frame->ns, floor->ns, frame->ns / floor->ns, frame->ns / cars, added,
                    frame->allocs, floor->allocs);
        previous = cars;
      }
    }
    const Figure* lockedFrame = Find("frame/locked-host/8");
    const Figure* lockedFloor = Find("floor/locked-host/8");
    if (lockedFrame != nullptr && lockedFloor != nullptr) {
      std::printf("%-5s %5d %11.1f %11.1f %6.3f   (best-car, every host call locked)\n", "lock",
                  8, lockedFrame->ns, lockedFloor->ns, lockedFrame->ns / lockedFloor->ns);
    }
    for (const char* name : {"frame/no-candidate/8", "press/best/8"}) {
      if (const Figure* figure = Find(name)) {
        std::printf("%-26s %11.1f ns %7.2f allocs\n", name, figure->ns, figure->allocs);
      }
    }
  }

 private:
  const Figure* Find(const std::string& name) const {
    const auto it = figures_.find(name);
    return it == figures_.end() ? nullptr : &it->second;
  }

  std::map<std::string, Figure> figures_;
  std::map<std::string, bool> medians_;
};

bool HasFlag(const std::vector<char*>& args, const char* flag) {
  for (const char* arg : args) {
    if (std::strncmp(arg, flag, std::strlen(flag)) == 0) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // The machine is shared and noisy: repeat by default and keep the medians.
  std::vector<char*> args(argv, argv + argc);
  char repetitions[] = "--benchmark_repetitions=5";
  char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
  char minTime[] = "--benchmark_min_time=0.2";
  if (!HasFlag(args, "--benchmark_repetitions")) args.push_back(repetitions);
  if (!HasFlag(args, "--benchmark_report_aggregates_only")) args.push_back(aggregatesOnly);
  if (!HasFlag(args, "--benchmark_min_time")) args.push_back(minTime);
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);

  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  if (!CheckFloors()) return 1;

  RegisterAll();
  TableReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintTable();
  benchmark::Shutdown();
  return 0;
}
