#pragma once

// A test fixture that loads the built plugin module into a simulated host
// and lets a test build a match, press the pickup button, draw frames and
// look at what a user would see: console lines and drawing calls.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "simhost/Host.h"
#include "simhost/HostListener.h"
#include "simhost/Match.h"
#include "VantorelPlugin.h"

namespace vantorel_test {

using Lines = std::vector<std::string>;

// Records the console log and the drawing calls, the drawing calls written
// as vantorel-sim prints them: "color R G B A", "line X1,Y1 X2,Y2 W".
class RecordingListener : public simhost::HostListener {
 public:
  void OnLog(const std::string& text) override {
    logs.push_back(text);
    if (onLog) onLog(text);
  }
  void OnColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
               std::uint8_t alpha) override {
    draws.push_back("color " + std::to_string(red) + " " + std::to_string(green) + " " +
                    std::to_string(blue) + " " + std::to_string(alpha));
  }
  void OnLine(Vector2 start, Vector2 end, float width) override {
    char text[128];
    std::snprintf(text, sizeof text, "line %d,%d %d,%d %.9g", start.X, start.Y, end.X, end.Y,
                  static_cast<double>(width));
    draws.push_back(text);
    lines.push_back({start, end, width});
  }

  void Clear() {
    logs.clear();
    draws.clear();
    lines.clear();
  }

  struct Line {
    Vector2 start;
    Vector2 end;
    float width;
  };

  Lines logs;
  Lines draws;
  std::vector<Line> lines;
  // Called after each log line is recorded: lets a test change the match
  // between two host calls of the plugin.
  std::function<void(const std::string&)> onLog;
};

inline std::uint32_t Bits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline float FromBits(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Everything a swap may exchange, as one car holds it.
struct CarState {
  Vector location;
  Vector velocity;
  Vector angularVelocity;
  Rotator rotation;
  float boost;
};

inline void SetState(simhost::SimCar& car, const CarState& state) {
  car.location = state.location;
  car.velocity = state.velocity;
  car.angularVelocity = state.angularVelocity;
  car.rotation = state.rotation;
  car.boostComponent.amount = state.boost;
}

inline std::string Describe(const Vector& v) {
  char text[96];
  std::snprintf(text, sizeof text, "(%08x %08x %08x)", Bits(v.X), Bits(v.Y), Bits(v.Z));
  return text;
}

inline std::string Describe(const Rotator& r) {
  return "(" + std::to_string(r.Pitch) + " " + std::to_string(r.Yaw) + " " +
         std::to_string(r.Roll) + ")";
}

// Equal bits, so that -0 differs from 0 and NaNs compare by their payload.
inline ::testing::AssertionResult SameBits(const Vector& actual, const Vector& expected) {
  if (Bits(actual.X) == Bits(expected.X) && Bits(actual.Y) == Bits(expected.Y) &&
      Bits(actual.Z) == Bits(expected.Z)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "bits " << Describe(actual) << " expected " << Describe(expected);
}

inline ::testing::AssertionResult SameBits(const Rotator& actual, const Rotator& expected) {
  if (actual.Pitch == expected.Pitch && actual.Yaw == expected.Yaw &&
      actual.Roll == expected.Roll) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << Describe(actual) << " expected " << Describe(expected);
}

inline ::testing::AssertionResult SameBits(float actual, float expected) {
  if (Bits(actual) == Bits(expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << std::hex << "bits " << Bits(actual) << " expected "
                                       << Bits(expected);
}

// Checks every quantity `car` holds against `expected`, bit for bit.
inline void ExpectState(const simhost::SimCar& car, const CarState& expected) {
  SCOPED_TRACE(car.owner);
  EXPECT_TRUE(SameBits(car.location, expected.location)) << "location";
  EXPECT_TRUE(SameBits(car.velocity, expected.velocity)) << "velocity";
  EXPECT_TRUE(SameBits(car.angularVelocity, expected.angularVelocity)) << "angular velocity";
  EXPECT_TRUE(SameBits(car.rotation, expected.rotation)) << "rotation";
  EXPECT_TRUE(SameBits(car.boostComponent.amount, expected.boost)) << "boost";
}

class PluginTest : public ::testing::Test {
 protected:
  PluginTest() : host_(listener_) {}

  void SetUp() override {
    std::string error;
    ASSERT_TRUE(host_.LoadPlugin(VANTOREL_PLUGIN_PATH, &error)) << error;
    ASSERT_NE(host_.plugin(), nullptr);
    listener_.Clear();
  }

  VantorelPlugin& plugin() { return *static_cast<VantorelPlugin*>(host_.plugin()); }
  simhost::Match& match() { return host_.match(); }
  std::int32_t lastSwapIndex() { return plugin().lastSwapIndex.load(); }

  // Sets a console variable as typed at the console.
  void Set(const std::string& name, const std::string& value) {
    simhost::Variable* variable = host_.console().Find(name);
    ASSERT_NE(variable, nullptr) << name;
    ASSERT_TRUE(host_.console().Set(*variable, value)) << name << " " << value;
  }

  simhost::SimCar& AddCar(const std::string& owner, int team, Vector location = {},
                          Rotator rotation = {}) {
    simhost::SimCar& car = match().AddCar(owner);
    car.playerInfo.team = static_cast<std::uint8_t>(team);
    car.location = location;
    car.rotation = rotation;
    return car;
  }

  // Adds the local player's car.
  simhost::SimCar& AddLocal(const std::string& owner, int team, Vector location = {},
                            Rotator rotation = {}) {
    simhost::SimCar& car = AddCar(owner, team, location, rotation);
    match().localCar = &car;
    return car;
  }

  // Presses the pickup button in `car` and returns the lines it logged.
  Lines Press(simhost::SimCar* car) {
    listener_.Clear();
    host_.Press(car);
    return listener_.logs;
  }
  Lines Press() { return Press(match().localCar); }

  // Draws one frame and returns its drawing calls; its log lines stay in
  // logs().
  Lines Frame() {
    listener_.Clear();
    host_.Frame();
    return listener_.draws;
  }

  const Lines& logs() const { return listener_.logs; }

  RecordingListener listener_;
  simhost::Host host_;
};

}  // namespace vantorel_test
