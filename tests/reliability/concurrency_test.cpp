// The real host may run the pickup hook on the game thread while the render
// thread draws the overlay. The one plugin value both touch is
// lastSwapIndex: a press stores it, every frame reads it through the
// candidate choice. Run under ThreadSanitizer (label "concurrency"), these
// tests also prove the simulated host's side race-free: the hook and
// drawable lists, the match behind its lock, the recording canvas and the
// listener.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "HostFixture.h"
#include "simhost/Host.h"

namespace vantorel_test {
namespace {

constexpr int kPresses = 20000;
constexpr int kFrames = 20000;

// The car list: opponents (team 1) between the local player's team-mates
// (team 0), the local car without a screen point. Every car stands behind
// the camera, so that only a car's own screen point puts it on the canvas:
// a marker names exactly one car.
struct Slot {
  const char* owner;
  int team;
  bool screen;
};
constexpr Slot kCars[] = {
    {"opp0", 1, true}, {"mate1", 0, true}, {"opp2", 1, true}, {"me", 0, false},
    {"mate4", 0, true}, {"opp5", 1, true}, {"mate6", 0, true}, {"opp7", 1, true},
};
constexpr int kCarCount = 8;
constexpr int kLocal = 3;
constexpr int kIconHeight = 15;  // the default: the tip stands 30 pixels up

Vector2 ScreenPointOf(int index) { return Vector2{100 + 200 * index, 500}; }

// The index the sequential walk takes after `last`: the next team-mate that
// is not the local car.
int Successor(int last) {
  for (int offset = 1; offset <= kCarCount; ++offset) {
    const int index = (last + offset) % kCarCount;
    if (kCars[index].team == 0 && index != kLocal) return index;
  }
  return 0;
}

// The listener only counts, from whichever thread the plugin logs: the
// host hands it one call at a time. Keeping forty thousand calls' lines
// would only slow the run down.
class Concurrency : public HostFixture, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    listener_.keep = false;
    listener_.onLog = [this](const std::string& text) {
      if (text == "Swap pressed. Owner: me") ++presses_;
      if (text.compare(0, 3, "Bad") == 0) failures_.push_back(text);
    };
    for (int i = 0; i < kCarCount; ++i) {
      const float f = static_cast<float>(i);
      simhost::SimCar& car = AddCar(kCars[i].owner, kCars[i].team,
                                    Vector{-1000.0f - 100.0f * f, 50.0f * f, 17.0f},
                                    Rotator{0, 4096 * i, 0});
      car.velocity = Vector{f, 2.0f, 3.0f};
      car.boostComponent.amount = 10.0f * f;
      if (kCars[i].screen) car.screenPoint = ScreenPointOf(i);
    }
    simhost::SimCar* const local = match().Read()->cars()[kLocal].get();
    match().Edit()->localCar = local;
    match().Edit()->localController.car = local;

    ASSERT_NO_FATAL_FAILURE(Load());
    Set("vantorel_enable", "1");
    Set("vantorel_render_enable", "1");
    Set("vantorel_sequential_swap", sequential() ? "1" : "0");
  }

  bool sequential() const { return GetParam(); }

  // Failure lines the plugin logged, then the host's messages.
  Lines Failures() const {
    Lines failures = failures_;
    failures.insert(failures.end(), listener_.messages.begin(), listener_.messages.end());
    return failures;
  }

  // The car the last frame marked: -1 for none, -2 for a drawing that is no
  // marker over any car's screen point.
  int MarkedCar() const {
    const std::vector<simhost::DrawCall>& frame = host_.lastFrame();
    if (frame.empty()) return -1;
    if (frame.size() != 4) return -2;
    const Vector2 tip = frame[1].end;  // the first line runs from the left corner to the tip
    for (int i = 0; i < kCarCount; ++i) {
      const Vector2 point = ScreenPointOf(i);
      if (kCars[i].screen && tip.X == point.X && tip.Y == point.Y - 2 * kIconHeight) return i;
    }
    return -2;
  }

  int presses_ = 0;
  Lines failures_;
};

TEST_P(Concurrency, PressesAndFramesOnTwoThreads) {
  std::atomic<bool> go{false};
  simhost::SimCar* const me = localCar();

  // The presser is the only writer of lastSwapIndex: each press must store
  // the successor of the index it stored before, whatever the frames do.
  std::vector<std::int32_t> stored;
  int wrongSteps = 0;
  std::thread presser([&] {
    std::int32_t last = 0;
    while (!go.load()) std::this_thread::yield();
    for (int i = 0; i < kPresses; ++i) {
      host_.Press(me);
      const std::int32_t index = lastSwapIndex();
      if (sequential() && index != Successor(last)) ++wrongSteps;
      if (stored.empty() || stored.back() != index) stored.push_back(index);
      last = index;
    }
  });

  std::map<int, int> marked;  // car index, frames that marked it
  std::thread drawer([&] {
    while (!go.load()) std::this_thread::yield();
    for (int i = 0; i < kFrames; ++i) {
      host_.Frame();
      ++marked[MarkedCar()];
    }
  });

  go.store(true);
  presser.join();
  drawer.join();

  EXPECT_EQ(wrongSteps, 0);
  EXPECT_EQ(presses_, kPresses);
  EXPECT_TRUE(Failures().empty()) << Failures().front();

  // Every marked car is one the next press could have chosen at some moment:
  // the successor of an index a press stored, or of the initial 0. In
  // best-car mode the scores move with the swapped cars, and all that holds
  // is that the marker stands over a team-mate.
  std::map<int, bool> possible;
  if (sequential()) {
    possible[Successor(0)] = true;
    for (std::int32_t index : stored) possible[Successor(index)] = true;
  } else {
    for (int i = 0; i < kCarCount; ++i) possible[i] = kCars[i].team == 0 && i != kLocal;
  }
  int frames = 0;
  for (const auto& [car, count] : marked) {
    frames += count;
    if (car == -1) continue;  // the candidate moved away between two host calls
    EXPECT_GE(car, 0) << count << " frames drew something that marks no car";
    if (car >= 0) {
      EXPECT_TRUE(possible[car]) << count << " frames marked " << kCars[car].owner;
    }
  }
  EXPECT_EQ(frames, kFrames);

  // Alone again, a frame marks exactly the car the next press will take.
  host_.Frame();
  const int next = MarkedCar();
  host_.Press(me);
  EXPECT_EQ(next, lastSwapIndex());
  if (sequential()) {
    EXPECT_EQ(next, Successor(stored.back()));
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, Concurrency, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Sequential" : "BestCar";
                         });

}  // namespace
}  // namespace vantorel_test
