#pragma once

// The commands of the script language, one type for each, holding what its
// line gives and nothing else. The grammar (Grammar.h) reads them, the
// player (ScriptPlayer.h) plays them. Whether a car or console variable a
// command names exists depends on the lines before it, and is the player's
// to check.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "Vector.h"
#include "simhost/Match.h"

namespace vantorel_sim {

// How long a drawn frame stands for when motion is off, and motion's step
// when `motion on` names none: 1/60 s as a 32-bit float.
constexpr float kFrameSeconds = 1.0f / 60.0f;

// The fields `car` and `set` both give. Fields a line leaves out are empty,
// so that `set` changes only what it names.
struct CarFields {
  std::optional<std::uint8_t> team;
  std::optional<Vector> location;
  std::optional<Vector> velocity;
  std::optional<Vector> angularVelocity;
  std::optional<Rotator> rotation;
  std::optional<float> boost;
  std::optional<Vector2> screen;
};

namespace command {

struct Game {
  simhost::GameMode mode = simhost::GameMode::kHosted;
};
struct Server {
  bool null = false;  // server null; else present
};
struct Canvas {
  Vector2 size;
};
// Fields not given keep their last values, also across `camera null`.
struct Camera {
  bool null = false;
  std::optional<Vector> location;
  std::optional<Rotator> rotation;
  std::optional<float> fieldOfView;
};
struct Ball {
  bool null = false;
  std::optional<Vector> location;
  std::optional<Vector> velocity;
};
// car NAME ...: a new car.
struct Car {
  std::string name;
  CarFields fields;
  bool local = false;             // the local player's car
  bool noPlayerInfo = false;      // nopri
  bool noBoostComponent = false;  // noboost
};
// set NAME ...: changes to a car there is.
struct Set {
  std::string name;
  CarFields fields;
  bool clearScreen = false;  // screen=none
};
struct NullCar {};
struct Local {
  std::optional<std::string> name;  // none: no car is the local player's
};
struct PluginLoad {};
struct PluginUnload {};
// NAME VALUE. Only the player knows whether NAME is a variable, which takes
// exactly one value, so the grammar takes any number.
struct Variable {
  std::string name;
  std::vector<std::string> values;
};
struct Press {
  std::optional<std::string> name;  // none: the local player's controller
};
struct Frame {
  std::int32_t count = 1;
};
struct Motion {
  std::optional<float> step;  // a finite step while on; none: off
};
struct ShowCars {};
struct ShowVariables {};

}  // namespace command

using Command =
    std::variant<command::Game, command::Server, command::Canvas, command::Camera,
                 command::Ball, command::Car, command::Set, command::NullCar, command::Local,
                 command::PluginLoad, command::PluginUnload, command::Variable, command::Press,
                 command::Frame, command::Motion, command::ShowCars, command::ShowVariables>;

}  // namespace vantorel_sim
