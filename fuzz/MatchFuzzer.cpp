// libFuzzer target: arbitrary bytes as a match, with presses and frames.

#include <cstddef>
#include <cstdint>

#include "FuzzTarget.h"
#include "Harness.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vantorel_fuzz::KeepPluginResident();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vantorel_fuzz::Report(vantorel_fuzz::PlayMatch(data, size, vantorel_fuzz::PluginPath()));
  return 0;
}
