// Out of memory at any one point of a run of vantorel-sim, made real by the
// counting operator new of tests/support failing one allocation: the run
// ends with exit status 1 and a message that says so, never with
// std::bad_alloc's abort.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "Animation.h"
#include "MemoryStreams.h"
#include "Paths.h"
#include "Program.h"
#include "TestFiles.h"

namespace vantorel_sim {
namespace {

using vantorel_test::AllocationFailure;

// Whether any file of the test's own folder is a save's temporary
// (NAME.tmp.PID.N) that a failed run left behind.
bool TemporaryLeft(const std::filesystem::path& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename().string().find(".tmp.") != std::string::npos) return true;
  }
  return false;
}

// Every allocation of a short run (rehearsal, plugin, press, frames,
// transcript, picture, animation and the configuration's save) fails in
// turn, in a run of its own, which leaves no temporary file behind. A
// nothrow new that fails (std::stable_partition's buffer) is done without,
// and the run goes on.
TEST(OutOfMemoryTest, AnAllocationThatFailsEndsTheRunWithAMessage) {
  const std::filesystem::path folder = vantorel_test::TempPath("oom");
  std::filesystem::remove_all(folder);
  std::filesystem::create_directory(folder);
  const std::string script = (folder / "oom.scn").string();
  vantorel_test::WriteFile(script,
                           "canvas 64 36\ncar Ava team=0 local\ncar Bo team=0 loc=300,200,17\n"
                           "plugin load\nvantorel_enable 1\nvantorel_render_enable 1\nframe 2\n"
                           "press\nshow cars\nshow cvars\n");
  std::vector<std::string> args{"vantorel-sim", "--config", (folder / "oom.cfg").string(),
                                script};
  if (MissingForAnimations().empty()) {
    args.insert(args.begin() + 1, {"--picture", (folder / "oom.png").string(), "--animation",
                                   (folder / "oom.webp").string()});
  }
  vantorel_test::MemoryStreams whole;
  const std::uint64_t before = vantorel_test::AllocationCount();
  ASSERT_EQ(RunProgram(args, whole), 0) << whole.err;
  const std::uint64_t allocations = vantorel_test::AllocationCount() - before;

  for (std::uint64_t n = 1; n <= allocations; ++n) {
    vantorel_test::MemoryStreams streams;
    vantorel_test::FailAllocation(n);
    const int status = RunProgram(args, streams);
    const bool thrown = vantorel_test::FailedAllocation() == AllocationFailure::kThrown;
    vantorel_test::FailAllocation(0);
    // One line that says so; a file names itself ("cannot write the
    // picture PATH: out of memory").
    const std::regex said(thrown ? "^vantorel-sim: (.*: )?out of memory\n$" : "^$");
    ASSERT_EQ(status, thrown ? 1 : 0) << "allocation " << n << ": " << streams.err;
    ASSERT_TRUE(std::regex_match(streams.err, said)) << "allocation " << n << ": " << streams.err;
    ASSERT_FALSE(TemporaryLeft(folder)) << "allocation " << n;
  }
}

}  // namespace
}  // namespace vantorel_sim
