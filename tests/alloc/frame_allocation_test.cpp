// An overlay frame runs up to 360 times a second inside the game's own frame
// time, where a trip to the heap is a stall waiting to happen: once warm, a
// frame must allocate nothing, in either mode, at any size of the car list.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "AllocationCounter.h"
#include "FrameScene.h"
#include "simhost/Match.h"

namespace {

using vantorel_test::AllocationCount;
using vantorel_test::FrameScene;
using vantorel_test::Mode;

struct Case {
  Mode mode;
  int cars;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << vantorel_test::ModeName(c.mode) << " mode, " << c.cars << " cars";
}

class FrameAllocationTest : public testing::TestWithParam<Case> {};

TEST_P(FrameAllocationTest, DrawsTheMarkerWithoutAllocating) {
  FrameScene scene(GetParam().mode, GetParam().cars);
  ASSERT_TRUE(scene.ok()) << scene.error();
  // The first frame may size the host's buffers for the frames after it.
  scene.Frame();
  ASSERT_TRUE(scene.DrewMarker()) << "the frame must take the overlay's whole path";

  const std::uint64_t before = AllocationCount();
  for (int i = 0; i < 3; ++i) scene.Frame();
  const std::uint64_t allocations = AllocationCount() - before;

  EXPECT_TRUE(scene.DrewMarker());
  EXPECT_EQ(allocations, 0u) << "heap allocations in 3 frames";
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FrameAllocationTest,
    testing::Values(Case{Mode::kBestCar, 2}, Case{Mode::kBestCar, 8}, Case{Mode::kBestCar, 1024},
                    Case{Mode::kSequential, 2}, Case{Mode::kSequential, 8},
                    Case{Mode::kSequential, 1024}),
    [](const testing::TestParamInfo<Case>& info) {
      return std::string(vantorel_test::ModeName(info.param.mode)) + "_" +
             std::to_string(info.param.cars);
    });

// The test above can only fail if the counter sees what the plugin module
// allocates: a frame with a null server logs a line, built in the module.
TEST(AllocationCounter, SeesAllocationsOfThePluginModule) {
  FrameScene scene(Mode::kBestCar, 8);
  ASSERT_TRUE(scene.ok()) << scene.error();
  scene.host().match().Edit()->serverNull = true;
  scene.Frame();

  const std::uint64_t before = AllocationCount();
  scene.Frame();
  EXPECT_GT(AllocationCount() - before, 0u);
}

// ... and what the host library allocates.
TEST(AllocationCounter, SeesAllocationsOfTheHostLibrary) {
  simhost::Match match;
  const std::uint64_t before = AllocationCount();
  match.Edit()->AddCar("a");
  EXPECT_GT(AllocationCount() - before, 0u);
}

}  // namespace
