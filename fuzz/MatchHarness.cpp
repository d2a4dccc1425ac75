// Arbitrary bytes as a match, and presses, frames and changes on it.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "CarState.h"
#include "Harness.h"
#include "PluginSettings.h"
#include "RecordingListener.h"
#include "VantorelPlugin.h"
#include "simhost/Host.h"
#include "simhost/Projection.h"

namespace vantorel_fuzz {

namespace {

using simhost::DrawCall;
using simhost::SimCar;
using vantorel_test::Lines;

constexpr std::size_t kMostCars = 16;

// The lines the plugin writes whatever its logging flag says.
const char* const kFailureLines[] = {
    "Bad ball in FindCandidateSwitchCar Intelligent",
    "Bad carArray in FindCandidateSwitchCar Intelligent",
    "Bad carArray in FindCandidateSwitchCar Sequential",
};

// The car list as a press or frame found it: a copy of each car, nothing
// for a null entry.
using Snapshot = std::vector<std::optional<SimCar>>;

// Both null, or both cars holding the same quantities bit for bit.
bool SameBits(const std::optional<SimCar>& a, const std::optional<SimCar>& b) {
  if (!a || !b) return !a && !b;
  return vantorel_test::SameBits(vantorel_test::StateOf(*a), vantorel_test::StateOf(*b));
}

// The index of the first car that differs between two snapshots of one
// list; -1 when none does.
int FirstDifference(const Snapshot& a, const Snapshot& b) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!SameBits(a[i], b[i])) return static_cast<int>(i);
  }
  return -1;
}

bool SamePoint(Vector2 a, Vector2 b) { return a.X == b.X && a.Y == b.Y; }

// A point of the canvas in 64 bits, where the marker's tip is worked out.
using Tip = std::pair<std::int64_t, std::int64_t>;

// One step of motion as the host must take it: two roundings, never fused
// (the build passes -ffp-contract=off).
Vector Moved(Vector location, Vector velocity, float dt) {
  return Vector{location.X + velocity.X * dt, location.Y + velocity.Y * dt,
                location.Z + velocity.Z * dt};
}

// Equal bits, or both NaN: of two NaNs a sum gives either, as the compiler
// orders the operands, so a NaN stands for any NaN here.
bool SameValue(float a, float b) {
  return (std::isnan(a) && std::isnan(b)) || vantorel_test::SameBits(a, b);
}

bool SameLocation(const Vector& a, const Vector& b) {
  return SameValue(a.X, b.X) && SameValue(a.Y, b.Y) && SameValue(a.Z, b.Z);
}

bool Contains(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool ContainsFailureLine(const Lines& lines) {
  return std::any_of(std::begin(kFailureLines), std::end(kFailureLines),
                     [&](const char* line) { return Contains(lines, line); });
}

// Values chosen where arithmetic tends to break: signed zeros, NaNs with
// payloads, infinities, the ends of the float range, subnormals.
float ConsumeFloat(FuzzedDataProvider& in) {
  static const float kSpecial[] = {
      0.0f, -0.0f, 1.0f, -1.0f, 93.0f, 10000.0f, -10000.0f,
      std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN(),
      std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
      std::numeric_limits<float>::max(), std::numeric_limits<float>::lowest(),
      std::numeric_limits<float>::min(), std::numeric_limits<float>::denorm_min(),
      -std::numeric_limits<float>::denorm_min(), 1e30f, -1e30f, 16777217.0f};
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: return in.PickValueInArray(kSpecial);
    case 1: return in.ConsumeFloatingPoint<float>();
    case 2: return vantorel_test::FromBits(in.ConsumeIntegral<std::uint32_t>());
    default: return static_cast<float>(in.ConsumeIntegralInRange(-6000, 6000));
  }
}

std::int32_t ConsumeInt(FuzzedDataProvider& in) {
  static const std::int32_t kSpecial[] = {
      std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::min() + 1,
      -65536, -32768, -16384, -1, 0, 1, 16384, 32767, 32768, 65536,
      std::numeric_limits<std::int32_t>::max() - 1, std::numeric_limits<std::int32_t>::max()};
  switch (in.ConsumeIntegralInRange(0, 2)) {
    case 0: return in.PickValueInArray(kSpecial);
    case 1: return in.ConsumeIntegral<std::int32_t>();
    default: return in.ConsumeIntegralInRange(-2000, 2000);
  }
}

// Braced lists consume their parts in order, left to right.
Vector ConsumeVector(FuzzedDataProvider& in) {
  return Vector{ConsumeFloat(in), ConsumeFloat(in), ConsumeFloat(in)};
}

Rotator ConsumeRotator(FuzzedDataProvider& in) {
  return Rotator{ConsumeInt(in), ConsumeInt(in), ConsumeInt(in)};
}

Vector2 ConsumePoint(FuzzedDataProvider& in) { return Vector2{ConsumeInt(in), ConsumeInt(in)}; }

// Text as a user might type it at the console, or not.
std::string ConsumeConsoleText(FuzzedDataProvider& in) {
  static const char* const kSpecial[] = {
      "", " ", "0", "1", "-0", "+1", " 1", "1 ", "0.5", ".5", "5.", "nan", "-nan", "inf",
      "-inf", "1e39", "-1e39", "1e-50", "0x10", "4294967296", "-2147483649", "2147483647",
      "3.4028235e38", "1,5", "yes", "\xd9\xa1", "1e", "e1", "--1", "40.5", "4.99", "5.01"};
  char text[64];
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: return in.PickValueInArray(kSpecial);
    case 1:
      std::snprintf(text, sizeof text, "%.9g", static_cast<double>(ConsumeFloat(in)));
      return text;
    case 2: return std::to_string(ConsumeInt(in));
    default: return in.ConsumeRandomLengthString(48);
  }
}

// One input's run: builds the match, then plays presses, frames and changes
// on it until the input runs out or a check fails.
class MatchRun {
 public:
  MatchRun(FuzzedDataProvider& in, const std::string& pluginPath)
      : in_(in), pluginPath_(pluginPath), host_(recorder_) {}

  // What went wrong, "step N: ..."; empty when every check held.
  std::string Run() {
    const files::Status loaded = host_.LoadPlugin(pluginPath_);
    if (!loaded.ok()) return "the plugin module did not load: " + loaded.message();
    plugin_ = static_cast<VantorelPlugin*>(host_.plugin());

    const int settings = in_.ConsumeIntegralInRange(0, 12);
    for (int i = 0; i < settings && ok(); ++i) SetVariable();
    const int cars = in_.ConsumeIntegralInRange(0, 10);
    for (int i = 0; i < cars; ++i) AddCar();
    ChangeLocal();
    for (int i = 0; i < 4; ++i) ChangeMatch();
    while (ok() && in_.remaining_bytes() > 0) Step();
    return failure_;
  }

 private:
  bool ok() const { return failure_.empty(); }

  // Keeps the first failure only: what follows it may be its consequence.
  // The parts, text and numbers, are written one after the other.
  template <typename... Parts>
  void Fail(const Parts&... parts) {
    if (!ok()) return;
    std::ostringstream what;
    (what << ... << parts);
    failure_ = "step " + std::to_string(step_) + ": " + what.str();
  }

  simhost::Match& match() { return host_.match(); }
  // The car list, used after the access is gone: the run is the match's one thread.
  const std::vector<std::unique_ptr<SimCar>>& cars() { return match().Read()->cars(); }
  std::int32_t index() const { return plugin_->lastSwapIndex.load(); }

  // A car of the list chosen by the input; null for an empty list.
  SimCar* PickCar() {
    if (cars().empty()) return nullptr;
    return cars()[in_.ConsumeIntegralInRange<std::size_t>(0, cars().size() - 1)].get();
  }

  Snapshot TakeSnapshot() {
    Snapshot snapshot;
    for (const auto& car : cars()) {
      snapshot.push_back(car ? std::optional<SimCar>(*car) : std::nullopt);
    }
    return snapshot;
  }

  // The kinds of step, chosen by one byte. Motion came last and the others
  // keep their numbers; a byte of an older input may now pick another kind
  // (the byte is taken modulo the count), but every input still plays.
  void Step() {
    // What the last step's frame marked holds only until the next step.
    const std::optional<Vector2> marker = std::exchange(marker_, std::nullopt);
    switch (in_.ConsumeIntegralInRange(0, 10)) {
      case 0: case 1: case 2: Press(marker); break;
      case 3: case 4: case 5: Frame(); break;
      case 6: SetVariable(); break;
      case 7: ChangeCar(); break;
      case 8: ChangeMatch(); break;
      case 9: in_.ConsumeBool() ? AddCar() : ChangeLocal(); break;
      case 10: MotionFrame(); break;
    }
  }

  // --- building and changing the match

  void AddCar() {
    const auto state = match().Edit();
    const std::size_t count = state->cars().size();
    if (count >= kMostCars) return;
    if (in_.ConsumeIntegralInRange(0, 7) == 0) {
      state->AddNullCar();
      return;
    }
    SimCar& car = state->AddCar("car" + std::to_string(count));
    car.playerInfo.team = in_.ConsumeIntegralInRange(0, 3) == 0
                              ? in_.ConsumeIntegral<std::uint8_t>()
                              : static_cast<std::uint8_t>(in_.ConsumeIntegralInRange(0, 1));
    car.location = ConsumeVector(in_);
    car.velocity = ConsumeVector(in_);
    car.angularVelocity = ConsumeVector(in_);
    car.rotation = ConsumeRotator(in_);
    car.boostComponent.amount = ConsumeFloat(in_);
    car.hasPlayerInfo = in_.ConsumeIntegralInRange(0, 7) != 0;
    car.hasBoostComponent = in_.ConsumeIntegralInRange(0, 7) != 0;
    if (in_.ConsumeBool()) car.screenPoint = ConsumePoint(in_);
  }

  void ChangeLocal() {
    const int pick = in_.ConsumeIntegralInRange(-1, static_cast<int>(cars().size()) - 1);
    SimCar* car = pick < 0 ? nullptr : cars()[static_cast<std::size_t>(pick)].get();
    const auto state = match().Edit();
    state->localCar = car;
    state->localController.car = car;
  }

  void ChangeCar() {
    SimCar* car = PickCar();
    if (!car) return;
    switch (in_.ConsumeIntegralInRange(0, 9)) {
      case 0: car->location = ConsumeVector(in_); break;
      case 1: car->velocity = ConsumeVector(in_); break;
      case 2: car->angularVelocity = ConsumeVector(in_); break;
      case 3: car->rotation = ConsumeRotator(in_); break;
      case 4: car->boostComponent.amount = ConsumeFloat(in_); break;
      case 5: car->playerInfo.team = in_.ConsumeIntegral<std::uint8_t>(); break;
      case 6: car->hasPlayerInfo = !car->hasPlayerInfo; break;
      case 7: car->hasBoostComponent = !car->hasBoostComponent; break;
      case 8: car->screenPoint = ConsumePoint(in_); break;
      default: car->screenPoint.reset(); break;
    }
  }

  void ChangeMatch() {
    const auto m = match().Edit();
    switch (in_.ConsumeIntegralInRange(0, 6)) {
      case 0: m->mode = static_cast<simhost::GameMode>(in_.ConsumeIntegralInRange(0, 2)); break;
      case 1: m->serverNull = in_.ConsumeIntegralInRange(0, 3) == 0; break;
      case 2:
        m->hasBall = in_.ConsumeIntegralInRange(0, 5) != 0;
        m->ball.location = ConsumeVector(in_);
        break;
      case 3:
        m->hasCamera = in_.ConsumeIntegralInRange(0, 5) != 0;
        m->camera.location = ConsumeVector(in_);
        break;
      case 4:
        m->camera.rotation = ConsumeRotator(in_);
        m->camera.fieldOfView = ConsumeFloat(in_);
        break;
      default: m->canvasSize = ConsumePoint(in_); break;
    }
  }

  // --- the steps that are checked

  void SetVariable() {
    ++step_;
    const auto& variables = host_.console().variables();
    simhost::Variable& variable =
        *variables[in_.ConsumeIntegralInRange<std::size_t>(0, variables.size() - 1)];
    const std::string before = variable.value;
    const std::string text = ConsumeConsoleText(in_);
    recorder_.Clear();
    const bool taken = host_.console().Set(variable, text);
    if (taken != recorder_.messages.empty()) {
      Fail(variable.name, " \"", text, "\": taken ", taken, " with ", recorder_.messages.size(),
           " host messages");
    }
    if (!taken && variable.value != before) Fail(variable.name, ": a refused value changed it");
    CheckSlots();
  }

  // Whatever was typed, every slot the plugin reads holds a value within its
  // variable's bounds.
  void CheckSlots() {
    for (const vantorel::Setting& setting : vantorel::kSettings) {
      const double value = vantorel_test::SlotValue(*plugin_, setting).value_or(NAN);
      if (!(value >= setting.min && value <= setting.max)) Fail(setting.name, " ", value);
    }
  }

  // Fails, naming `why`, unless every car is as it was `before`.
  void ExpectCarsUnchanged(const Snapshot& before, const char* why) {
    const int changed = FirstDifference(before, TakeSnapshot());
    if (changed >= 0) Fail(why, ", car ", changed, " changed");
  }

  // Fails, naming `why`, unless every car and the index are as they were.
  void ExpectNothingChanged(const Snapshot& before, std::int32_t indexBefore, const char* why) {
    ExpectCarsUnchanged(before, why);
    if (index() != indexBefore) Fail(why, ", the index changed");
  }

  // Where the overlay would put the marker's tip over each car of the list,
  // as the list stands: the car's point on the canvas, twice the icon
  // height up. A null entry gets a point off the canvas, where no tip is
  // drawn.
  std::vector<Tip> MarkerTips() {
    std::vector<Tip> tips;
    const auto state = match().Read();
    const std::int64_t up = 2 * std::int64_t{*plugin_->renderIconHeight};
    for (const auto& car : state->cars()) {
      const Vector2 point =
          car ? simhost::ProjectOnCanvas(*state, car->location) : simhost::kOffCanvas;
      tips.emplace_back(point.X, point.Y - up);
    }
    return tips;
  }

  // `marker`: the tip of the marker the frame just before drew, when
  // nothing has happened since. A press of the local player must then
  // choose the car under it.
  void Press(const std::optional<Vector2>& marker = std::nullopt) {
    ++step_;
    SimCar* presser = match().Read()->localCar;
    if (!cars().empty() && in_.ConsumeIntegralInRange(0, 3) == 0) presser = PickCar();
    const Snapshot before = TakeSnapshot();
    const std::int32_t indexBefore = index();
    const bool enabled = *plugin_->enabled;
    const bool marked = marker && presser != nullptr && presser == match().Read()->localCar;
    const std::vector<Tip> tips = marked ? MarkerTips() : std::vector<Tip>();

    recorder_.Clear();
    host_.Press(presser);
    const Lines& logs = recorder_.logs;
    if (logs.empty()) {
      Fail("a press logged nothing");
    } else if (!presser) {
      if (logs != Lines{"Swap pressed but null car"}) Fail("null car: ", logs[0]);
      ExpectNothingChanged(before, indexBefore, "a press without a car");
    } else if (!enabled || match().Read()->mode != simhost::GameMode::kHosted) {
      if (logs != Lines{"Swap pressed but mod disabled. Owner: " + presser->owner}) {
        Fail("refused press: ", logs[0]);
      }
      ExpectNothingChanged(before, indexBefore, "a refused press");
    } else if (logs[0] != "Swap pressed. Owner: " + presser->owner) {
      Fail("press: ", logs[0]);
    } else if (Contains(logs, "Bad car2 index in SwapCar") || match().Read()->serverNull) {
      // The candidate lay outside the list: -1 after a failure, or 0 for an
      // empty list. Anything else is a candidate that should not exist.
      if (!match().Read()->serverNull && !ContainsFailureLine(logs) && !before.empty()) {
        Fail("a candidate outside the list of ", before.size(), " without a failure");
      }
      if (marked) Fail("the last frame marked a car, and the press found none");
      ExpectNothingChanged(before, indexBefore, "no candidate");
    } else {
      CheckSwap(presser, before);
      if (marked) CheckMarkedChoice(*marker, tips);
    }
  }

  // The marker stood over the car the press chose.
  void CheckMarkedChoice(Vector2 marker, const std::vector<Tip>& tips) {
    const auto chosen = static_cast<std::size_t>(index());
    if (chosen >= tips.size() || tips[chosen] != Tip(marker.X, marker.Y)) {
      Fail("the press chose car ", chosen, ", not the car under the marker at ", marker.X, ",",
           marker.Y);
    }
  }

  // A press that stored a candidate's index: the candidate must be a
  // team-mate other than the presser, unless none qualified and the choice
  // fell back to the first car, and the two cars exchange exactly what the
  // settings say.
  void CheckSwap(SimCar* presser, const Snapshot& before) {
    const std::int32_t chosen = index();
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= before.size()) {
      Fail("stored index ", chosen, " of ", before.size());
      return;
    }
    const Lines& logs = recorder_.logs;
    const auto other = static_cast<std::size_t>(chosen);
    if (!before[other]) {
      // The index is stored before the candidate is fetched.
      if (!Contains(logs, "Bad car2 in SwapCar")) Fail("a null candidate, silently");
      ExpectCarsUnchanged(before, "a null candidate");
      return;
    }
    std::size_t self = before.size();
    for (std::size_t i = 0; i < cars().size(); ++i) {
      if (cars()[i].get() == presser) self = i;
    }
    const SimCar& p = *before[self];
    const SimCar& c = *before[other];
    const bool qualifies = other != self && p.hasPlayerInfo && c.hasPlayerInfo &&
                           p.playerInfo.team == c.playerInfo.team;
    if (!qualifies && chosen != 0) Fail("candidate ", chosen, " is no team-mate");

    const bool boost = *plugin_->setBoost;
    const bool boostMissing = boost && (!p.hasBoostComponent || !c.hasBoostComponent);
    if (boostMissing != Contains(logs, "Bad boost in SwapCar")) Fail("boost message");
    Snapshot expected = before;
    if (other != self) {
      SimCar& ep = *expected[self];
      SimCar& ec = *expected[other];
      std::swap(ep.location, ec.location);
      if (*plugin_->setVelocities) {
        std::swap(ep.velocity, ec.velocity);
        std::swap(ep.angularVelocity, ec.angularVelocity);
      }
      if (*plugin_->setRotation) std::swap(ep.rotation, ec.rotation);
      if (boost && !boostMissing) std::swap(ep.boostComponent.amount, ec.boostComponent.amount);
    }
    const int wrong = FirstDifference(expected, TakeSnapshot());
    if (wrong >= 0) {
      Fail("swap of ", self, " and ", other, ": car ", wrong, " is not as exchanged");
    }
  }

  void Frame() {
    ++step_;
    const Snapshot before = TakeSnapshot();
    const std::int32_t indexBefore = index();
    recorder_.Clear();
    host_.Frame();

    ExpectNothingChanged(before, indexBefore, "a frame");

    const Lines& logs = recorder_.logs;
    if (logs.size() > 1) Fail("a frame logged ", logs.size(), " lines");
    if (logs.size() == 1) {
      const bool known = logs[0] == "Bad server in Render" || logs[0] == "Bad camera in Render" ||
                         ContainsFailureLine(logs);
      if (!known) Fail("a frame logged: ", logs[0]);
      if (!host_.lastFrame().empty()) Fail("a frame that failed drew");
    }
    if (host_.lastFrame().size() != recorder_.draws.size()) {
      Fail("the listener saw other drawing calls");
    }
    if (!host_.lastFrame().empty()) CheckMarker(host_.lastFrame());
    if (host_.lastFrame().size() == 4) marker_ = host_.lastFrame()[1].end;
  }

  // A frame with motion on: first every car (null entries skipped) and then
  // the ball, when there is one, move by velocity * dt, bit for bit, and
  // nothing else changes; then it is a frame like any other.
  void MotionFrame() {
    ++step_;
    const float dt = in_.ConsumeBool() ? 1.0f / 60.0f : ConsumeFloat(in_);
    Snapshot expected = TakeSnapshot();
    for (auto& car : expected) {
      if (car) car->location = Moved(car->location, car->velocity, dt);
    }
    simhost::SimBall ball = match().Read()->ball;
    if (match().Read()->hasBall) ball.location = Moved(ball.location, ball.velocity, dt);
    match().Advance(dt);
    Snapshot after = TakeSnapshot();
    for (std::size_t i = 0; i < after.size(); ++i) {
      if (!after[i] || !expected[i]) continue;
      // The location as a value; everything else bit for bit, unmoved.
      if (SameLocation(after[i]->location, expected[i]->location)) {
        after[i]->location = expected[i]->location;
      }
    }
    const int wrong = FirstDifference(expected, after);
    if (wrong >= 0) Fail("motion moved car ", wrong, " wrongly");
    const simhost::SimBall moved = match().Read()->ball;
    if (!SameLocation(moved.location, ball.location) ||
        !vantorel_test::SameBits(moved.velocity, ball.velocity)) {
      Fail("motion moved the ball wrongly");
    }
    Frame();
  }

  // One opaque yellow colour call and three lines of the setting's width,
  // forming a triangle whose tip lies on the canvas.
  void CheckMarker(const std::vector<DrawCall>& drawn) {
    if (drawn.size() != 4 || drawn[0].kind != DrawCall::Kind::kColor) {
      Fail("a frame drew ", drawn.size(), " calls");
      return;
    }
    const std::uint8_t* colour = drawn[0].color;
    if (colour[0] != 255 || colour[1] != 255 || colour[2] != 0 || colour[3] != 255) {
      Fail("the marker is not opaque yellow");
    }
    for (int i = 1; i <= 3; ++i) {
      if (drawn[i].kind != DrawCall::Kind::kLine) {
        Fail("a colour where a line goes");
        return;
      }
      if (drawn[i].width != static_cast<float>(*plugin_->renderThickness)) {
        Fail("a line of another width");
      }
    }
    // Left corner to tip, tip to right corner, right corner back to the left.
    const Vector2 tip = drawn[1].end;
    if (!SamePoint(drawn[2].start, tip) || !SamePoint(drawn[2].end, drawn[3].start) ||
        !SamePoint(drawn[3].end, drawn[1].start)) {
      Fail("the three lines are no triangle");
    }
    const Vector2 canvas = match().Read()->canvasSize;
    if (tip.X < 0 || tip.X > canvas.X || tip.Y < 0 || tip.Y > canvas.Y) {
      Fail("the tip ", tip.X, ",", tip.Y, " lies off the canvas ", canvas.X, "x", canvas.Y);
    }
  }

  FuzzedDataProvider& in_;
  const std::string& pluginPath_;
  vantorel_test::RecordingListener recorder_;
  simhost::Host host_;
  VantorelPlugin* plugin_ = nullptr;
  int step_ = 0;
  std::string failure_;
  // The tip of the marker the last frame drew; see Step.
  std::optional<Vector2> marker_;
};

}  // namespace

std::string PlayMatch(const std::uint8_t* data, std::size_t size, const std::string& pluginPath) {
  FuzzedDataProvider in(data, size);
  MatchRun run(in, pluginPath);
  return run.Run();
}

}  // namespace vantorel_fuzz
