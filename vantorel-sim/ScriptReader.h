#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Vector.h"

namespace vantorel_sim {

// The form a script line takes. kCommandWords in ScriptReader.cpp gives each
// command word its synopsis and effect (ScriptGrammar prints them); a line
// whose first word is none of them is a kVariable.
enum class CommandKind {
  kGame,
  kServer,
  kCanvas,
  kCamera,
  kBall,
  kCar,
  kSet,
  kNullCar,
  kLocal,
  kPluginLoad,
  kPluginUnload,
  kVariable,
  kPress,
  kFrame,
  kShowCars,
  kShowVariables,
};

enum class ScriptGameMode { kHosted, kOnline, kNone };

// The fields a `car` or `set` line gives. Fields the line leaves out are
// empty, so that `set` changes only what it names.
struct CarFields {
  std::optional<std::uint8_t> team;
  std::optional<Vector> location;
  std::optional<Vector> velocity;
  std::optional<Vector> angularVelocity;
  std::optional<Rotator> rotation;
  std::optional<float> boost;
  std::optional<Vector2> screen;
  bool clearScreen = false;       // set ... screen=none
  bool local = false;             // car ... local
  bool noPlayerInfo = false;      // car ... nopri
  bool noBoostComponent = false;  // car ... noboost
};

// The fields a `camera` or `ball` line gives; the ball uses `location` only.
struct ViewFields {
  std::optional<Vector> location;
  std::optional<Rotator> rotation;
  std::optional<float> fieldOfView;
};

// One script line, read and checked for form. Whether a car or console
// variable it names exists depends on the lines before it and is checked
// when it is played.
struct Command {
  int line = 0;
  CommandKind kind = CommandKind::kShowCars;
  // The car name (car, set, local, press) or the variable name; empty for
  // `local none` and for `press` without a name.
  std::string name;
  std::string value;  // kVariable: the value as typed
  ScriptGameMode mode = ScriptGameMode::kHosted;
  bool null = false;  // server null, camera null, ball null
  Vector2 canvas;
  std::int32_t frames = 1;
  CarFields car;
  ViewFields view;
};

struct ScriptError {
  int line = 0;
  std::string message;
};

// Turns script text into commands. Reads the whole text before anything is
// played, so that a malformed line anywhere stops the script before its
// first command. Returns false with `error` set at the first bad line.
bool ReadScript(const std::string& text, std::vector<Command>* commands, ScriptError* error);

// The script language: how lines are written, then one entry per command
// with its synopsis and effect, as `vantorel-sim --help` prints it and
// README.md shows it.
std::string ScriptGrammar();

// Reads one line (without its line break). Returns false with `message` set
// when the line is bad; a blank or comment line gives no command.
bool ReadLine(const std::string& line, int number, std::optional<Command>* command,
              std::string* message);

}  // namespace vantorel_sim
