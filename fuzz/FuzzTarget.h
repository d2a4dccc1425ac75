#pragma once

// What the two fuzz targets share: where the plugin module is, and how a
// broken check ends the run.

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vantorel_fuzz {

// VANTOREL_PLUGIN names another module; by default, the one built with the
// fuzzers.
inline const std::string& PluginPath() {
  static const std::string path = [] {
    const char* chosen = std::getenv("VANTOREL_PLUGIN");
    return std::string(chosen && *chosen ? chosen : VANTOREL_PLUGIN_PATH);
  }();
  return path;
}

// Holds the module open for the whole run, so that each input's load and
// unload only count its references instead of mapping and relocating it
// anew: ten times the executions per second. The lifecycle stress test
// covers the real unloading.
inline void KeepPluginResident() {
  if (!dlopen(PluginPath().c_str(), RTLD_NOW | RTLD_LOCAL)) {
    std::fprintf(stderr, "cannot open the plugin module: %s\n", dlerror());
    std::abort();
  }
}

// A check that did not hold is a finding, as a crash is.
inline void Report(const std::string& problem) {
  if (problem.empty()) return;
  std::fprintf(stderr, "vantorel fuzz check failed: %s\n", problem.c_str());
  std::abort();
}

}  // namespace vantorel_fuzz
