// A libFuzzer target around one body of Harness.h, built once per body:
// VANTOREL_FUZZ_BODY names it (PlayScript for script_fuzzer, PlayMatch for
// match_fuzzer).

#include <dlfcn.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Harness.h"
#include "Paths.h"

namespace {

// VANTOREL_PLUGIN names another module; by default, the one built with the
// fuzzers.
const std::string& PluginPath() {
  static const std::string path = [] {
    const char* chosen = std::getenv("VANTOREL_PLUGIN");
    return std::string(chosen && *chosen ? chosen : vantorel_test::PluginModule());
  }();
  return path;
}

// A check that did not hold is a finding, as a crash is.
void Report(const std::string& problem) {
  if (problem.empty()) return;
  std::fprintf(stderr, "vantorel fuzz check failed: %s\n", problem.c_str());
  std::abort();
}

}  // namespace

// Holds the module open for the whole run, so that each input's load and
// unload only count its references instead of mapping and relocating it
// anew: ten times the executions per second. The lifecycle stress test
// covers the real unloading.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!dlopen(PluginPath().c_str(), RTLD_NOW | RTLD_LOCAL)) {
    std::fprintf(stderr, "cannot open the plugin module: %s\n", dlerror());
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Report(vantorel_fuzz::VANTOREL_FUZZ_BODY(data, size, PluginPath()));
  return 0;
}
