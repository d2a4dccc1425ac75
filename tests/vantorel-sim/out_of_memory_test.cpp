// Out of memory at any one point of a run of vantorel-sim, made real by the
// counting operator new of tests/support failing one allocation: the run
// ends with exit status 1 and a message that says so, never with
// std::bad_alloc's abort, and leaves no temporary file behind.

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

using vantorel_test::AllocationCount;
using vantorel_test::AllocationFailure;
using vantorel_test::FailAllocation;

// Reading, rehearsing, loading the plugin, pressing, drawing, showing and
// writing the outputs.
const char kScript[] =
    "canvas 64 36\n"
    "car Ava team=0 loc=0,-500,17 local\n"
    "car Bo team=0 loc=300,200,17\n"
    "plugin load\n"
    "vantorel_enable 1\n"
    "vantorel_render_enable 1\n"
    "frame 2\n"
    "press\n"
    "show cars\n"
    "show cvars\n";

TEST(OutOfMemoryTest, AnAllocationThatFailsEndsTheRunWithAMessage) {
  const std::string work = vantorel_test::TempPath("work");
  std::filesystem::remove_all(work);
  std::filesystem::create_directories(work);
  const std::string script = work + "/oom.scn";
  vantorel_test::WriteFile(script, kScript);
  std::vector<std::string> args{"vantorel-sim", script};
  if (MissingForAnimations().empty()) {
    args.insert(args.end() - 1,
                {"--picture", work + "/oom.png", "--animation", work + "/oom.webp"});
  }

  vantorel_test::MemoryStreams whole;
  const std::uint64_t before = AllocationCount();
  ASSERT_EQ(RunProgram(args, whole), 0) << whole.err;
  const std::uint64_t allocations = AllocationCount() - before;

  // Every allocation of a short run fails in turn, in a run of its own. A
  // nothrow new that fails (std::stable_partition's buffer) is made do
  // without, and the run goes on.
  for (std::uint64_t n = 1; n <= allocations; ++n) {
    vantorel_test::MemoryStreams streams;
    FailAllocation(n);
    const int status = RunProgram(args, streams);
    const bool thrown = vantorel_test::FailedAllocation() == AllocationFailure::kThrown;
    FailAllocation(0);
    ASSERT_EQ(status, thrown ? 1 : 0) << "allocation " << n << " of " << allocations << ": "
                                      << streams.err;
    // One line, which says so; a file names itself ("cannot write the
    // picture PATH: out of memory").
    const std::regex said(thrown ? "^vantorel-sim: (.*: )?out of memory\n$" : "^$");
    ASSERT_TRUE(std::regex_match(streams.err, said)) << "allocation " << n << ": " << streams.err;
  }
}

}  // namespace
}  // namespace vantorel_sim
