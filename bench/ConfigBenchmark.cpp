// config-bench: what reading and saving a large configuration file costs.
//
// A user's configuration file can hold the settings of many plugins. Loading
// it (Console::LoadConfig) and saving into it (Console::SaveConfig, which
// reads it again under the lock and merges this run's settings in) must take
// time in proportion to its size, so each is measured at two sizes eight
// times apart: the second figure should be about eight times the first.
// The save writes, flushes and renames the file, as a run's save does.

#include <benchmark/benchmark.h>

#include <string>

#include "Paths.h"
#include "TestFiles.h"
#include "simhost/Console.h"

namespace {

// The number of settings the console saves at the end of a run, about as
// many as the plugin has.
constexpr int kSavedVariables = 12;

// A file of `lines` settings of distinct names, none of them the console's.
std::string ConfigFileOf(int lines) {
  const std::string path =
      std::string(vantorel_test::TempDir()) + "/config-bench-" + std::to_string(lines) + ".cfg";
  std::string text;
  for (int i = 0; i < lines; ++i) text += "other_plugin_setting_" + std::to_string(i) + " \"1\"\n";
  vantorel_test::WriteFile(path, text);
  return path;
}

void BM_LoadConfig(benchmark::State& state) {
  const std::string path = ConfigFileOf(static_cast<int>(state.range(0)));
  simhost::HostListener silent;
  for (auto _ : state) {
    simhost::Console console(silent);
    if (!console.LoadConfig(path).ok()) return state.SkipWithError("cannot load the file");
  }
}

// Each save rewrites the console's lines in place after the first, which
// appended them: every iteration reads and merges the whole file.
void BM_SaveConfig(benchmark::State& state) {
  const std::string path = ConfigFileOf(static_cast<int>(state.range(0)));
  simhost::HostListener silent;
  simhost::Console console(silent);
  for (int i = 0; i < kSavedVariables; ++i) {
    simhost::Variable& variable = console.Register("saved_" + std::to_string(i), "0", "", true,
                                                   false, 0.0f, false, 0.0f, true);
    console.Set(variable, "1");
  }
  for (auto _ : state) {
    if (!console.SaveConfig(path).ok()) return state.SkipWithError("cannot save the file");
  }
}

BENCHMARK(BM_LoadConfig)->Arg(10000)->Arg(80000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveConfig)->Arg(10000)->Arg(80000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
