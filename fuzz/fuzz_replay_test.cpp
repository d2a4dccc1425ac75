// Every input the fuzzers keep, played through the same checks in the
// normal suite (and so under the asan preset, with GCC's sanitizers): the
// seed corpora in corpus/, and in regressions/ each input that once broke
// something, so that it cannot break it again unnoticed.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "Harness.h"
#include "Paths.h"
#include "TestFiles.h"

namespace {

namespace fs = std::filesystem;

using Play = std::string (*)(const std::uint8_t*, std::size_t, const std::string&);

std::vector<fs::path> Inputs(const fs::path& folder) {
  std::vector<fs::path> inputs;
  if (!fs::is_directory(folder)) return inputs;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
      inputs.push_back(entry.path());
    }
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

// Plays every input of the target's corpus and regressions; returns how
// many there were.
std::size_t Replay(const std::string& target, Play play) {
  std::size_t played = 0;
  for (const fs::path& folder : {fs::path(VANTOREL_FUZZ_CORPUS) / target,
                                 fs::path(VANTOREL_FUZZ_REGRESSIONS) / target}) {
    for (const fs::path& input : Inputs(folder)) {
      const std::string bytes = vantorel_test::ReadFile(input.string());
      EXPECT_EQ(play(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                     vantorel_test::PluginModule()),
                "")
          << input;
      ++played;
    }
  }
  return played;
}

TEST(FuzzReplay, Script) {
  EXPECT_GT(Replay("script", vantorel_fuzz::PlayScript), 0u) << "no corpus found";
}

TEST(FuzzReplay, Match) {
  EXPECT_GT(Replay("match", vantorel_fuzz::PlayMatch), 0u) << "no corpus found";
}

}  // namespace
