#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
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
  kMotion,
  kShowCars,
  kShowVariables,
};

enum class ScriptGameMode { kHosted, kOnline, kNone };

// How long a drawn frame stands for when motion is off, and motion's step
// when `motion on` names none: 1/60 s as a 32-bit float.
constexpr float kFrameSeconds = 1.0f / 60.0f;

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

// The fields a `camera` or `ball` line gives: the camera uses all but
// `velocity`, the ball `location` and `velocity`.
struct ViewFields {
  std::optional<Vector> location;
  std::optional<Vector> velocity;
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
  // kVariable: the first value as typed, and how many words followed the
  // name. Only the player knows whether the name is a variable, which takes
  // exactly one value, so the reader takes any number.
  std::string value;
  std::size_t valueCount = 0;
  ScriptGameMode mode = ScriptGameMode::kHosted;
  bool null = false;  // server null, camera null, ball null
  Vector2 canvas;
  std::int32_t frames = 1;
  bool motionOn = false;             // motion on, or off
  float motionStep = kFrameSeconds;  // motion on's dt, a finite float
  CarFields car;
  ViewFields view;
};

struct ScriptError {
  int line = 0;
  std::string message;
};

// What a script may hold. A longer line or a larger script is a bad line,
// found as soon as the limit is passed, without reading further: an endless
// line or stream cannot fill the memory.
constexpr std::size_t kMaxLineBytes = std::size_t{64} << 10;      // without its line break
constexpr std::size_t kMaxScriptBytes = std::size_t{64} << 20;    // all of it

struct ScriptLimits {
  std::size_t lineBytes = kMaxLineBytes;
  std::size_t scriptBytes = kMaxScriptBytes;
};

// Reads a script one command at a time, from a stream as it arrives or from
// text, holding no more than one line of it: a byte-order mark before the
// first line is skipped, lines end at line feeds, a carriage return ending a
// line is dropped, blank and comment lines give no command.
class ScriptReader {
 public:
  // Reads `file`, which it borrows and does not close. Tests may lower the
  // limits.
  explicit ScriptReader(std::FILE* file, ScriptLimits limits = ScriptLimits());
  // Reads `text`, which it borrows: it must outlive the reader.
  explicit ScriptReader(const std::string& text);
  ScriptReader(const ScriptReader&) = delete;
  ScriptReader& operator=(const ScriptReader&) = delete;

  enum class Status {
    kCommand,    // *command holds the next command
    kEnd,        // the script ended
    kBadLine,    // error() names the line and what is wrong with it
    kReadError,  // the stream failed; error().message is the system's message
  };
  Status Next(Command* command);
  const ScriptError& error() const { return error_; }

  // From now on appends every line read, with a line feed, to `text`, so
  // that the script can be read again once a stream is gone.
  void KeepText(std::string* text) { kept_ = text; }

 private:
  enum class LineStatus { kLine, kEnd, kTooLong, kTooLarge, kReadError };
  LineStatus NextLine();
  bool Refill();

  std::FILE* file_ = nullptr;
  ScriptLimits limits_;
  std::vector<char> chunk_;       // the stream's bytes not yet taken
  const char* data_ = nullptr;    // the bytes not yet taken: chunk_'s or the text's
  std::size_t size_ = 0;
  bool ended_ = false;            // nothing more to come
  bool failed_ = false;           // the stream failed
  std::size_t taken_ = 0;         // bytes taken into lines so far
  int number_ = 0;                // the number of the line in line_
  std::string line_;
  std::string* kept_ = nullptr;
  ScriptError error_;
};

// Turns script text into commands, stopping at the first bad line: returns
// false with `error` set there.
bool ReadScript(const std::string& text, std::vector<Command>* commands, ScriptError* error);

// The script language: how lines are written, then one entry per command
// with its synopsis and effect, as `vantorel-sim --help` prints it and
// README.md shows it.
std::string ScriptGrammar();

// Reads one line (without its line break). Returns false with `message` set
// when the line is bad (also when it is longer than kMaxLineBytes); a blank
// or comment line gives no command.
bool ReadLine(const std::string& line, int number, std::optional<Command>* command,
              std::string* message);

}  // namespace vantorel_sim
