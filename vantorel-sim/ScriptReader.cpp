#include "ScriptReader.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <set>

#include "files/Text.h"

namespace vantorel_sim {

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

// "64 KiB", "64 MiB", or a count of bytes.
std::string Amount(std::size_t bytes) {
  if (bytes != 0 && bytes % (std::size_t{1} << 20) == 0) {
    return std::to_string(bytes >> 20) + " MiB";
  }
  if (bytes != 0 && bytes % 1024 == 0) return std::to_string(bytes >> 10) + " KiB";
  return std::to_string(bytes) + " bytes";
}

std::string LineTooLong(std::size_t limit) { return "line longer than " + Amount(limit); }

using files::Shown;
using Words = std::vector<std::string>;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

Words SplitWords(const std::string& line) {
  Words words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

// Number readers: the whole token must be the number. `what` names the
// token in messages.
bool ReadFloat(const std::string& token, const std::string& what, float* out,
               std::string* message) {
  if (token.empty() || IsBlank(token[0])) {
    *message = "malformed number " + Shown(token) + " in " + what;
    return false;
  }
  char* end = nullptr;
  errno = 0;
  const float value = std::strtof(token.c_str(), &end);
  if (end != token.c_str() + token.size()) {
    *message = "malformed number " + Shown(token) + " in " + what;
    return false;
  }
  // strtof reports underflow with ERANGE too; only a value too large for a
  // float fails to fit.
  if (errno == ERANGE && std::isinf(value)) {
    *message = "number " + Shown(token) + " out of range in " + what;
    return false;
  }
  *out = value;
  return true;
}

bool ReadInteger(const std::string& token, const std::string& what, std::int64_t low,
                 std::int64_t high, std::int64_t* out, std::string* message) {
  const bool digitsOnly = !token.empty() && token.find_first_not_of("+-0123456789") ==
                                                std::string::npos;
  char* end = nullptr;
  errno = 0;
  const long long value = digitsOnly ? std::strtoll(token.c_str(), &end, 10) : 0;
  if (!digitsOnly || end != token.c_str() + token.size()) {
    *message = "malformed number " + Shown(token) + " in " + what;
    return false;
  }
  if (errno == ERANGE || value < low || value > high) {
    *message = "number " + Shown(token) + " out of range in " + what;
    return false;
  }
  *out = value;
  return true;
}

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

bool ReadInt32(const std::string& token, const std::string& what, std::int32_t* out,
               std::string* message) {
  std::int64_t value = 0;
  if (!ReadInteger(token, what, kInt32Min, kInt32Max, &value, message)) return false;
  *out = static_cast<std::int32_t>(value);
  return true;
}

bool SplitParts(const std::string& text, std::size_t count, const std::string& what,
                std::vector<std::string>* parts, std::string* message) {
  *parts = SplitCommas(text);
  if (parts->size() == count) return true;
  *message = what + " needs " + std::to_string(count) + " comma-separated numbers";
  return false;
}

bool ReadVector(const std::string& text, const std::string& what, Vector* out,
                std::string* message) {
  std::vector<std::string> parts;
  return SplitParts(text, 3, what, &parts, message) &&
         ReadFloat(parts[0], what, &out->X, message) &&
         ReadFloat(parts[1], what, &out->Y, message) &&
         ReadFloat(parts[2], what, &out->Z, message);
}

bool ReadRotator(const std::string& text, const std::string& what, Rotator* out,
                 std::string* message) {
  std::vector<std::string> parts;
  return SplitParts(text, 3, what, &parts, message) &&
         ReadInt32(parts[0], what, &out->Pitch, message) &&
         ReadInt32(parts[1], what, &out->Yaw, message) &&
         ReadInt32(parts[2], what, &out->Roll, message);
}

bool ReadPoint(const std::string& text, const std::string& what, Vector2* out,
               std::string* message) {
  std::vector<std::string> parts;
  return SplitParts(text, 2, what, &parts, message) &&
         ReadInt32(parts[0], what, &out->X, message) &&
         ReadInt32(parts[1], what, &out->Y, message);
}

// Walks the options after a command's fixed words: `key=value` pairs and
// bare flags, each given at most once. Refers to the words it was given,
// which must outlive it.
class OptionWords {
 public:
  OptionWords(const std::string& command, const Words& words, std::size_t first)
      : command_(command), words_(words), next_(first) {}

  // Takes the next option apart; false at the end.
  bool Next(std::string* key, std::string* value, bool* hasValue) {
    if (next_ >= words_.size()) return false;
    const std::string& word = words_[next_++];
    const std::size_t equals = word.find('=');
    *hasValue = equals != std::string::npos;
    *key = word.substr(0, equals);
    *value = *hasValue ? word.substr(equals + 1) : std::string();
    return true;
  }

  bool CheckNew(const std::string& key, std::string* message) {
    if (seen_.insert(key).second) return true;
    *message = "option " + Shown(key) + " given twice";
    return false;
  }

  bool Unknown(const std::string& key, std::string* message) const {
    *message = "unknown option " + Shown(key) + " for " + command_;
    return false;
  }

 private:
  std::string command_;
  const Words& words_;
  std::size_t next_;
  std::set<std::string> seen_;
};

enum class OptionRead { kRead, kBad, kUnknown };

OptionRead Outcome(bool read) { return read ? OptionRead::kRead : OptionRead::kBad; }

// Reads one `key=value` option of a car.
OptionRead ReadCarOption(const std::string& key, const std::string& value, CarFields* car,
                         std::string* message) {
  const std::string what = Shown(key + "=" + value);
  if (key == "team") {
    std::int64_t team = 0;
    if (!ReadInteger(value, what, 0, 255, &team, message)) return OptionRead::kBad;
    car->team = static_cast<std::uint8_t>(team);
    return OptionRead::kRead;
  }
  if (key == "loc") return Outcome(ReadVector(value, what, &car->location.emplace(), message));
  if (key == "vel") return Outcome(ReadVector(value, what, &car->velocity.emplace(), message));
  if (key == "angvel") {
    return Outcome(ReadVector(value, what, &car->angularVelocity.emplace(), message));
  }
  if (key == "rot") return Outcome(ReadRotator(value, what, &car->rotation.emplace(), message));
  if (key == "boost") return Outcome(ReadFloat(value, what, &car->boost.emplace(), message));
  if (key == "screen" && value == "none") {
    car->clearScreen = true;
    return OptionRead::kRead;
  }
  if (key == "screen") return Outcome(ReadPoint(value, what, &car->screen.emplace(), message));
  return OptionRead::kUnknown;
}

bool ReadCarFlag(const std::string& key, CarFields* car) {
  if (key == "local") car->local = true;
  else if (key == "nopri") car->noPlayerInfo = true;
  else if (key == "noboost") car->noBoostComponent = true;
  else return false;
  return true;
}

// A name is printed on lines of its own: a control character in one would
// cut the line short (NUL) or steer the terminal (ESC).
bool CheckName(const std::string& name, const char* what, std::string* message) {
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) {
      *message = std::string(what) + " " + Shown(name) + " holds a control character";
      return false;
    }
  }
  return true;
}

bool CheckCarName(const std::string& name, std::string* message) {
  if (name == "none") {
    *message = "'none' cannot name a car: it means no car";
    return false;
  }
  if (name.find('=') != std::string::npos) {
    *message = "a car name cannot contain '=': " + Shown(name);
    return false;
  }
  return CheckName(name, "car name", message);
}

// car NAME [options] and set NAME [options].
bool ReadCar(const Words& words, Command* command, std::string* message) {
  const std::string& verb = words[0];
  if (words.size() < 2) {
    *message = "'" + verb + "' needs a car name";
    return false;
  }
  if (!CheckCarName(words[1], message)) return false;
  command->name = words[1];
  const bool adding = command->kind == CommandKind::kCar;
  OptionWords options(verb, words, 2);
  std::string key, value;
  bool hasValue = false;
  while (options.Next(&key, &value, &hasValue)) {
    if (!options.CheckNew(key, message)) return false;
    if (adding && key == "screen" && value == "none") {
      *message = "screen=none is for 'set'; a new car has no screen point";
      return false;
    }
    OptionRead read = OptionRead::kUnknown;
    if (hasValue) read = ReadCarOption(key, value, &command->car, message);
    else if (adding && ReadCarFlag(key, &command->car)) read = OptionRead::kRead;
    if (read == OptionRead::kBad) return false;
    if (read == OptionRead::kUnknown) return options.Unknown(key, message);
  }
  return true;
}

// camera [loc=] [rot=] [fov=] / camera null, and ball [loc=] [vel=] / ball null.
bool ReadView(const Words& words, Command* command, std::string* message) {
  const std::string& verb = words[0];
  if (words.size() == 2 && words[1] == "null") {
    command->null = true;
    return true;
  }
  const bool camera = command->kind == CommandKind::kCamera;
  OptionWords options(verb, words, 1);
  std::string key, value;
  bool hasValue = false;
  ViewFields& view = command->view;
  while (options.Next(&key, &value, &hasValue)) {
    const bool known = key == "loc" || (camera ? key == "rot" || key == "fov" : key == "vel");
    if (!hasValue || !known) return options.Unknown(key, message);
    if (!options.CheckNew(key, message)) return false;
    const std::string what = Shown(key + "=" + value);
    if (key == "loc" && !ReadVector(value, what, &view.location.emplace(), message)) return false;
    if (key == "vel" && !ReadVector(value, what, &view.velocity.emplace(), message)) return false;
    if (key == "rot" && !ReadRotator(value, what, &view.rotation.emplace(), message)) return false;
    if (key == "fov") {
      if (!ReadFloat(value, what, &view.fieldOfView.emplace(), message)) return false;
      // Anything else has no perspective to speak of.
      if (!(*view.fieldOfView > 0.0f && *view.fieldOfView < 180.0f)) {
        *message = "fov must lie between 0 and 180 degrees: " + what;
        return false;
      }
    }
  }
  return true;
}

bool ExpectWords(const Words& words, std::size_t low, std::size_t high, std::string* message) {
  if (words.size() > high) {
    *message = "unexpected " + Shown(words[high]) + " after '" + words[0] + "'";
    return false;
  }
  if (words.size() < low) {
    *message = "'" + words[0] + "' needs more words";
    return false;
  }
  return true;
}

// A command word with one of a few fixed arguments.
bool ReadChoice(const Words& words, const std::vector<std::string>& choices, std::size_t* index,
                std::string* message) {
  if (words.size() > 2) return ExpectWords(words, 2, 2, message);
  for (std::size_t i = 0; words.size() == 2 && i < choices.size(); ++i) {
    if (words[1] == choices[i]) {
      *index = i;
      return true;
    }
  }
  std::string list;
  for (std::size_t i = 0; i < choices.size(); ++i) {
    list += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + choices[i];
  }
  *message = "'" + words[0] + "' takes " + list;
  return false;
}

bool ReadGame(const Words& words, Command* command, std::string* message) {
  std::size_t choice = 0;
  if (!ReadChoice(words, {"hosted", "online", "none"}, &choice, message)) return false;
  command->mode = static_cast<ScriptGameMode>(choice);
  return true;
}

bool ReadServer(const Words& words, Command* command, std::string* message) {
  std::size_t choice = 0;
  if (!ReadChoice(words, {"null", "present"}, &choice, message)) return false;
  command->null = choice == 0;
  return true;
}

bool ReadPlugin(const Words& words, Command* command, std::string* message) {
  std::size_t choice = 0;
  if (!ReadChoice(words, {"load", "unload"}, &choice, message)) return false;
  command->kind = choice == 0 ? CommandKind::kPluginLoad : CommandKind::kPluginUnload;
  return true;
}

bool ReadShow(const Words& words, Command* command, std::string* message) {
  std::size_t choice = 0;
  if (!ReadChoice(words, {"cars", "cvars"}, &choice, message)) return false;
  command->kind = choice == 0 ? CommandKind::kShowCars : CommandKind::kShowVariables;
  return true;
}

bool ReadCanvas(const Words& words, Command* command, std::string* message) {
  if (!ExpectWords(words, 3, 3, message)) return false;
  std::int64_t width = 0, height = 0;
  if (!ReadInteger(words[1], "canvas width", 1, kInt32Max, &width, message) ||
      !ReadInteger(words[2], "canvas height", 1, kInt32Max, &height, message)) {
    return false;
  }
  command->canvas = Vector2{static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
  return true;
}

bool ReadLocal(const Words& words, Command* command, std::string* message) {
  if (!ExpectWords(words, 2, 2, message)) return false;
  if (!CheckName(words[1], "car name", message)) return false;
  if (words[1] != "none") command->name = words[1];
  return true;
}

bool ReadPress(const Words& words, Command* command, std::string* message) {
  if (!ExpectWords(words, 1, 2, message)) return false;
  if (words.size() == 2 && !CheckName(words[1], "car name", message)) return false;
  if (words.size() == 2) command->name = words[1];
  return true;
}

bool ReadFrame(const Words& words, Command* command, std::string* message) {
  if (!ExpectWords(words, 1, 2, message)) return false;
  if (words.size() == 1) return true;
  std::int64_t frames = 0;
  if (!ReadInteger(words[1], "frame count", 0, kInt32Max, &frames, message)) return false;
  command->frames = static_cast<std::int32_t>(frames);
  return true;
}

// motion on [dt=SECONDS] / motion off. A step that is not a finite float
// would turn every location it touches into a NaN or an infinity.
bool ReadMotion(const Words& words, Command* command, std::string* message) {
  if (words.size() < 2 || (words[1] != "on" && words[1] != "off")) {
    *message = "'motion' takes on or off";
    return false;
  }
  command->motionOn = words[1] == "on";
  if (!command->motionOn) return ExpectWords(words, 2, 2, message);
  OptionWords options("motion on", words, 2);
  std::string key, value;
  bool hasValue = false;
  while (options.Next(&key, &value, &hasValue)) {
    if (!hasValue || key != "dt") return options.Unknown(key, message);
    if (!options.CheckNew(key, message)) return false;
    const std::string what = Shown(key + "=" + value);
    if (!ReadFloat(value, what, &command->motionStep, message)) return false;
    if (!std::isfinite(command->motionStep)) {
      *message = "dt must be a finite number of seconds: " + what;
      return false;
    }
  }
  return true;
}

// NAME VALUE. Whether NAME is a variable, and so whether it was given the
// one value it takes, only the player can tell.
bool ReadVariable(const Words& words, Command* command, std::string* message) {
  if (!CheckName(words[0], "console variable name", message)) return false;
  command->name = words[0];
  command->valueCount = words.size() - 1;
  if (words.size() > 1) command->value = words[1];
  return true;
}

// One command of the script language: the word that starts its lines, how
// they are read, and how --help and README.md describe them.
struct CommandWord {
  const char* word;
  CommandKind kind;
  bool (*read)(const Words&, Command*, std::string*);
  const char* synopsis;
  const char* effect;
};

bool ReadNothingMore(const Words& words, Command*, std::string* message) {
  return ExpectWords(words, 1, 1, message);
}

const CommandWord kCommandWords[] = {
    {"game", CommandKind::kGame, ReadGame, "game hosted|online|none", "the game mode"},
    {"server", CommandKind::kServer, ReadServer, "server null|present",
     "make the game's server null, or bring it back"},
    {"canvas", CommandKind::kCanvas, ReadCanvas, "canvas W H",
     "the canvas size (default 1920 1080)"},
    {"camera", CommandKind::kCamera, ReadView,
     "camera [loc=X,Y,Z] [rot=P,Y,R] [fov=DEG] | camera null", "the camera"},
    {"ball", CommandKind::kBall, ReadView, "ball [loc=X,Y,Z] [vel=X,Y,Z] | ball null",
     "the ball (default at 0,0,93, at rest)"},
    {"car", CommandKind::kCar, ReadCar,
     "car NAME [team=N] [loc=X,Y,Z] [vel=X,Y,Z] [angvel=X,Y,Z] [rot=P,Y,R] [boost=F] "
     "[screen=X,Y] [local] [nopri] [noboost]",
     "append a car; screen= fixes where it projects, nopri and noboost leave out its "
     "player information or boost component"},
    {"set", CommandKind::kSet, ReadCar,
     "set NAME [team=N] [loc=X,Y,Z] [vel=X,Y,Z] [angvel=X,Y,Z] [rot=P,Y,R] [boost=F] "
     "[screen=X,Y|none]",
     "change a car: only what the line names"},
    {"nullcar", CommandKind::kNullCar, ReadNothingMore, "nullcar",
     "append a null entry to the car list"},
    {"local", CommandKind::kLocal, ReadLocal, "local NAME|none",
     "which car is the local player's"},
    {"plugin", CommandKind::kPluginLoad, ReadPlugin, "plugin load|unload",
     "load or unload the plugin module"},
    {"press", CommandKind::kPress, ReadPress, "press [NAME]",
     "the pickup button, for NAME's controller (default: the local player's)"},
    {"frame", CommandKind::kFrame, ReadFrame, "frame [N]", "draw N frames (default 1)"},
    {"motion", CommandKind::kMotion, ReadMotion, "motion on [dt=SECONDS] | motion off",
     "while on, each frame first moves every car, then the ball, by its velocity times dt "
     "(default 1/60 s); off at the start"},
    {"show", CommandKind::kShowCars, ReadShow, "show cars | show cvars",
     "print the car list, or every console variable"},
};

// A line that starts with none of the words above sets a console variable.
constexpr char kVariableSynopsis[] = "NAME VALUE";
constexpr char kVariableEffect[] = "set a console variable, e.g. vantorel_enable 1";

const CommandWord* FindCommandWord(const std::string& word) {
  for (const CommandWord& entry : kCommandWords) {
    if (word == entry.word) return &entry;
  }
  return nullptr;
}

// The grammar's layout: each synopsis from column 2, its effect from
// kEffectColumn (on a line of its own when the synopsis reaches that far),
// no line longer than kGrammarWidth.
constexpr std::size_t kSynopsisColumn = 2;
constexpr std::size_t kSynopsisIndent = 6;
constexpr std::size_t kEffectColumn = 32;
constexpr std::size_t kGrammarWidth = 78;

// Appends the words of `text` to `out`, which ends at `column`, starting a
// new line at `indent` wherever the next word would pass kGrammarWidth.
// Returns the column where `out` then ends.
std::size_t AppendWrapped(std::string* out, std::size_t column, std::size_t indent,
                          const std::string& text) {
  bool first = true;
  for (const std::string& word : SplitWords(text)) {
    if (!first && column + 1 + word.size() > kGrammarWidth) {
      *out += "\n" + std::string(indent, ' ');
      column = indent;
    } else if (!first) {
      *out += ' ';
      ++column;
    }
    *out += word;
    column += word.size();
    first = false;
  }
  return column;
}

// Appends one entry of the grammar: the synopsis, then the effect beside it.
void AppendCommand(std::string* out, const char* synopsis, const char* effect) {
  *out += std::string(kSynopsisColumn, ' ');
  std::size_t column = AppendWrapped(out, kSynopsisColumn, kSynopsisIndent, synopsis);
  if (column + 2 > kEffectColumn) {
    *out += '\n';
    column = 0;
  }
  *out += std::string(kEffectColumn - column, ' ');
  AppendWrapped(out, kEffectColumn, kEffectColumn, effect);
  *out += '\n';
}

}  // namespace

std::string ScriptGrammar() {
  std::string grammar =
      "One command per line; blank lines and lines starting with # are skipped.\n"
      "Vectors are written X,Y,Z, rotations P,Y,R (65536 to a full turn), screen\n"
      "points X,Y.\n";
  for (const CommandWord& entry : kCommandWords) {
    AppendCommand(&grammar, entry.synopsis, entry.effect);
  }
  AppendCommand(&grammar, kVariableSynopsis, kVariableEffect);
  return grammar;
}

bool ReadLine(const std::string& line, int number, std::optional<Command>* command,
              std::string* message) {
  command->reset();
  if (line.size() > kMaxLineBytes) {
    *message = LineTooLong(kMaxLineBytes);
    return false;
  }
  const Words words = SplitWords(line);
  if (words.empty() || words[0][0] == '#') return true;
  Command read;
  read.line = number;
  const CommandWord* entry = FindCommandWord(words[0]);
  read.kind = entry != nullptr ? entry->kind : CommandKind::kVariable;
  const bool ok = entry != nullptr ? entry->read(words, &read, message)
                                   : ReadVariable(words, &read, message);
  if (ok) *command = std::move(read);
  return ok;
}

ScriptReader::ScriptReader(std::FILE* file, ScriptLimits limits)
    : file_(file), limits_(limits) {}

ScriptReader::ScriptReader(const std::string& text)
    : data_(text.data()), size_(text.size()), ended_(true) {}

ScriptReader::Status ScriptReader::Next(Command* command) {
  for (;;) {
    switch (NextLine()) {
      case LineStatus::kEnd:
        return Status::kEnd;
      case LineStatus::kReadError:
        return Status::kReadError;
      case LineStatus::kTooLong:
        error_ = ScriptError{number_, LineTooLong(limits_.lineBytes)};
        return Status::kBadLine;
      case LineStatus::kTooLarge:
        error_ = ScriptError{number_, "script larger than " + Amount(limits_.scriptBytes)};
        return Status::kBadLine;
      case LineStatus::kLine:
        break;
    }
    if (kept_ != nullptr) {
      kept_->append(line_);
      kept_->push_back('\n');
    }
    std::optional<Command> read;
    std::string message;
    if (!ReadLine(line_, number_, &read, &message)) {
      error_ = ScriptError{number_, message};
      return Status::kBadLine;
    }
    if (read) {
      *command = std::move(*read);
      return Status::kCommand;
    }
  }
}

ScriptReader::LineStatus ScriptReader::NextLine() {
  line_.clear();
  bool started = false;  // whether any byte of this line has come
  for (;;) {
    if (size_ == 0 && !Refill()) {
      if (failed_) return LineStatus::kReadError;
      if (!started) return LineStatus::kEnd;
      ++number_;
      break;  // the last line, without a line break
    }
    if (taken_ == 0 && size_ >= 3 && std::memcmp(data_, kByteOrderMark, 3) == 0) {
      // A byte-order mark, as some editors write, is not part of the first line.
      data_ += 3;
      size_ -= 3;
      taken_ += 3;
      if (size_ == 0) continue;
    }
    started = true;
    const auto* newline = static_cast<const char*>(std::memchr(data_, '\n', size_));
    const std::size_t count =
        newline != nullptr ? static_cast<std::size_t>(newline - data_) : size_;
    const std::size_t ending = newline != nullptr ? 1 : 0;
    // Limits are checked before the bytes are kept: one byte past a limit
    // ends the reading. One byte more than a line holds may be the
    // carriage return before its line feed.
    if (taken_ + count + ending > limits_.scriptBytes) {
      ++number_;
      return LineStatus::kTooLarge;
    }
    if (line_.size() + count > limits_.lineBytes + 1) {
      ++number_;
      return LineStatus::kTooLong;
    }
    line_.append(data_, count);
    taken_ += count + ending;
    data_ += count + ending;
    size_ -= count + ending;
    if (newline != nullptr) {
      ++number_;
      break;
    }
  }
  if (!line_.empty() && line_.back() == '\r') line_.pop_back();
  return line_.size() > limits_.lineBytes ? LineStatus::kTooLong : LineStatus::kLine;
}

bool ScriptReader::Refill() {
  if (ended_) return false;
  constexpr std::size_t kChunkBytes = std::size_t{64} << 10;
  chunk_.resize(kChunkBytes);
  const std::size_t count = std::fread(chunk_.data(), 1, chunk_.size(), file_);
  if (count == 0) {
    ended_ = true;
    if (std::ferror(file_)) {
      failed_ = true;
      error_ = ScriptError{number_ + 1, std::strerror(errno)};
    }
    return false;
  }
  data_ = chunk_.data();
  size_ = count;
  return true;
}

bool ReadScript(const std::string& text, std::vector<Command>* commands, ScriptError* error) {
  commands->clear();
  ScriptReader reader(text);
  Command command;
  for (;;) {
    switch (reader.Next(&command)) {
      case ScriptReader::Status::kCommand:
        commands->push_back(std::move(command));
        break;
      case ScriptReader::Status::kEnd:
        return true;
      case ScriptReader::Status::kBadLine:
      case ScriptReader::Status::kReadError:
        *error = reader.error();
        return false;
    }
  }
}

}  // namespace vantorel_sim
