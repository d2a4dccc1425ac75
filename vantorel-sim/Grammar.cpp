#include "Grammar.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>
#include <utility>

#include "files/Text.h"

namespace vantorel_sim {

namespace {

using files::Status;
using files::Shown;
using Words = std::vector<std::string>;

Status Bad(std::string message) { return Status::Error(std::move(message)); }

using files::IsBlank;

// A name is printed on lines of its own, and drawn in pictures: it must be
// text that shows as it is. A control character would cut the line short
// (NUL) or steer the terminal (ESC, CSI); a bidirectional override would
// make the line show other than it says; invalid UTF-8 cannot be drawn.
const char* NameFault(const files::Utf8Character& c) {
  if (!c.valid) return "is not valid UTF-8";
  if (files::IsControlCharacter(c.code)) return "holds a control character";
  if (files::IsBidiControl(c.code)) return "holds a bidirectional override or isolate";
  return nullptr;
}

Status CheckName(const std::string& name, const char* what) {
  for (std::size_t at = 0; at < name.size();) {
    const files::Utf8Character c = files::DecodeUtf8(name, at);
    if (const char* fault = NameFault(c)) {
      return Bad(std::string(what) + " " + Shown(name) + " " + fault);
    }
    at += c.size;
  }
  return Status::Ok();
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

// Numbers: the whole token must be the number. `what` names the token in
// messages.
Status Malformed(const std::string& token, const std::string& what) {
  return Bad("malformed number " + Shown(token) + " in " + what);
}

Status OutOfRange(const std::string& token, const std::string& what) {
  return Bad("number " + Shown(token) + " out of range in " + what);
}

// A float field takes what the console takes: a finite decimal number, so
// that no NaN or infinity reaches the match (a NaN velocity would turn every
// location it touches into NaN).
Status ReadNumber(const std::string& token, const std::string& what, float* out) {
  if (!files::IsDecimalNumber(token)) {
    return Bad("malformed number " + Shown(token) + " in " + what +
               ": not a finite decimal number");
  }
  errno = 0;
  const float value = std::strtof(token.c_str(), nullptr);
  // strtof reports underflow with ERANGE too; only a value too large for a
  // float fails to fit.
  if (errno == ERANGE && std::isinf(value)) return OutOfRange(token, what);
  *out = value;
  return Status::Ok();
}

Status ReadInteger(const std::string& token, const std::string& what, std::int64_t low,
                   std::int64_t high, std::int64_t* out) {
  const bool digitsOnly = !token.empty() && token.find_first_not_of("+-0123456789") ==
                                                std::string::npos;
  char* end = nullptr;
  errno = 0;
  const long long value = digitsOnly ? std::strtoll(token.c_str(), &end, 10) : 0;
  if (!digitsOnly || end != token.c_str() + token.size()) return Malformed(token, what);
  if (errno == ERANGE || value < low || value > high) return OutOfRange(token, what);
  *out = value;
  return Status::Ok();
}

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

Status ReadNumber(const std::string& token, const std::string& what, std::int32_t* out) {
  std::int64_t value = 0;
  const Status status = ReadInteger(token, what, kInt32Min, kInt32Max, &value);
  if (status.ok()) *out = static_cast<std::int32_t>(value);
  return status;
}

// The numbers X,Y,Z, P,Y,R and X,Y stand for.
std::array<float*, 3> Parts(Vector* v) { return {&v->X, &v->Y, &v->Z}; }
std::array<std::int32_t*, 3> Parts(Rotator* r) { return {&r->Pitch, &r->Yaw, &r->Roll}; }
std::array<std::int32_t*, 2> Parts(Vector2* p) { return {&p->X, &p->Y}; }

// Reads a vector, rotation or screen point: as many comma-separated numbers
// as it has parts.
template <typename Value>
Status ReadParts(const std::string& text, const std::string& what, Value* out) {
  const auto parts = Parts(out);
  const std::vector<std::string> tokens = SplitCommas(text);
  if (tokens.size() != parts.size()) {
    return Bad(what + " needs " + std::to_string(parts.size()) + " comma-separated numbers");
  }
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const Status status = ReadNumber(tokens[i], what, parts[i]);
    if (!status.ok()) return status;
  }
  return Status::Ok();
}

// One word after a command's fixed words: `key=value`, or a bare flag.
struct Option {
  std::string key;
  std::string value;
  bool hasValue = false;

  // The option as a message shows it.
  std::string Shown() const { return files::Shown(key + "=" + value); }
};

// Walks the options after a command's fixed words, each given at most once.
// Refers to the words it was given, which must outlive it.
class OptionWords {
 public:
  OptionWords(std::string command, const Words& words, std::size_t first)
      : command_(std::move(command)), words_(words), next_(first) {}

  // Takes the next option apart; false at the end.
  bool Next(Option* option) {
    if (next_ >= words_.size()) return false;
    const std::string& word = words_[next_++];
    const std::size_t equals = word.find('=');
    option->hasValue = equals != std::string::npos;
    option->key = word.substr(0, equals);
    option->value = option->hasValue ? word.substr(equals + 1) : std::string();
    return true;
  }

  Status CheckNew(const std::string& key) {
    if (seen_.insert(key).second) return Status::Ok();
    return Bad("option " + Shown(key) + " given twice");
  }

  Status Unknown(const std::string& key) const {
    return Bad("unknown option " + Shown(key) + " for " + command_);
  }

 private:
  std::string command_;
  const Words& words_;
  std::size_t next_;
  std::set<std::string> seen_;
};

// A field `car` and `set` both take.
Status ReadCarField(const Option& option, const OptionWords& options, CarFields* fields) {
  const std::string& key = option.key;
  const std::string& value = option.value;
  const std::string what = option.Shown();
  if (key == "team") {
    std::int64_t team = 0;
    const Status status = ReadInteger(value, what, 0, 255, &team);
    if (status.ok()) fields->team = static_cast<std::uint8_t>(team);
    return status;
  }
  if (key == "loc") return ReadParts(value, what, &fields->location.emplace());
  if (key == "vel") return ReadParts(value, what, &fields->velocity.emplace());
  if (key == "angvel") return ReadParts(value, what, &fields->angularVelocity.emplace());
  if (key == "rot") return ReadParts(value, what, &fields->rotation.emplace());
  if (key == "boost") return ReadNumber(value, what, &fields->boost.emplace());
  if (key == "screen") return ReadParts(value, what, &fields->screen.emplace());
  return options.Unknown(key);
}

// ReadOption reads one option of a command into it, one overload for each
// command that takes options.

Status ReadOption(const Option& option, OptionWords& options, command::Car* car) {
  const Status status = options.CheckNew(option.key);
  if (!status.ok()) return status;
  if (option.hasValue && option.key == "screen" && option.value == "none") {
    return Bad("screen=none is for 'set'; a new car has no screen point");
  }
  if (option.hasValue) return ReadCarField(option, options, &car->fields);
  if (option.key == "local") car->local = true;
  else if (option.key == "nopri") car->noPlayerInfo = true;
  else if (option.key == "noboost") car->noBoostComponent = true;
  else return options.Unknown(option.key);
  return Status::Ok();
}

Status ReadOption(const Option& option, OptionWords& options, command::Set* set) {
  const Status status = options.CheckNew(option.key);
  if (!status.ok()) return status;
  if (!option.hasValue) return options.Unknown(option.key);
  if (option.key == "screen" && option.value == "none") {
    set->clearScreen = true;
    return Status::Ok();
  }
  return ReadCarField(option, options, &set->fields);
}

Status ReadOption(const Option& option, OptionWords& options, command::Camera* camera) {
  const std::string& key = option.key;
  if (!option.hasValue || (key != "loc" && key != "rot" && key != "fov")) {
    return options.Unknown(key);
  }
  const Status status = options.CheckNew(key);
  if (!status.ok()) return status;
  const std::string what = option.Shown();
  if (key == "loc") return ReadParts(option.value, what, &camera->location.emplace());
  if (key == "rot") return ReadParts(option.value, what, &camera->rotation.emplace());
  float& fieldOfView = camera->fieldOfView.emplace();
  const Status read = ReadNumber(option.value, what, &fieldOfView);
  if (!read.ok()) return read;
  // Anything else has no perspective to speak of.
  if (fieldOfView > 0.0f && fieldOfView < 180.0f) return Status::Ok();
  return Bad("fov must lie between 0 and 180 degrees: " + what);
}

Status ReadOption(const Option& option, OptionWords& options, command::Ball* ball) {
  const std::string& key = option.key;
  if (!option.hasValue || (key != "loc" && key != "vel")) return options.Unknown(key);
  const Status status = options.CheckNew(key);
  if (!status.ok()) return status;
  Vector& vector = key == "loc" ? ball->location.emplace() : ball->velocity.emplace();
  return ReadParts(option.value, option.Shown(), &vector);
}

// motion on's dt.
Status ReadOption(const Option& option, OptionWords& options, command::Motion* motion) {
  if (!option.hasValue || option.key != "dt") return options.Unknown(option.key);
  const Status status = options.CheckNew(option.key);
  if (!status.ok()) return status;
  return ReadNumber(option.value, option.Shown(), &*motion->step);
}

// Reads the options after the first `fixed` words into `command`, which
// `name` names in messages; stops at the first bad one.
template <typename T>
Status ReadOptions(const Words& words, std::size_t fixed, std::string name, T* command) {
  OptionWords options(std::move(name), words, fixed);
  Status status;
  Option option;
  while (status.ok() && options.Next(&option)) status = ReadOption(option, options, command);
  return status;
}

Status ExpectWords(const Words& words, std::size_t low, std::size_t high) {
  if (words.size() > high) {
    return Bad("unexpected " + Shown(words[high]) + " after '" + words[0] + "'");
  }
  if (words.size() < low) return Bad("'" + words[0] + "' needs more words");
  return Status::Ok();
}

// A command word with one of a few fixed arguments, each its own command.
Status ReadChoice(const Words& words, const std::vector<std::pair<std::string, Command>>& choices,
                  Command* command) {
  if (words.size() > 2) return ExpectWords(words, 2, 2);
  for (const auto& [word, chosen] : choices) {
    if (words.size() == 2 && words[1] == word) {
      *command = chosen;
      return Status::Ok();
    }
  }
  std::string list;
  for (std::size_t i = 0; i < choices.size(); ++i) {
    list += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + choices[i].first;
  }
  return Bad("'" + words[0] + "' takes " + list);
}

// Each Read below reads the words of one command's line into `command`,
// and leaves it alone when they are bad.

Status ReadGame(const Words& words, Command* command) {
  return ReadChoice(words,
                    {{"hosted", command::Game{simhost::GameMode::kHosted}},
                     {"online", command::Game{simhost::GameMode::kOnline}},
                     {"none", command::Game{simhost::GameMode::kNone}}},
                    command);
}

Status ReadServer(const Words& words, Command* command) {
  return ReadChoice(words, {{"null", command::Server{true}}, {"present", command::Server{false}}},
                    command);
}

Status ReadPlugin(const Words& words, Command* command) {
  return ReadChoice(words, {{"load", command::PluginLoad{}}, {"unload", command::PluginUnload{}}},
                    command);
}

Status ReadShow(const Words& words, Command* command) {
  return ReadChoice(words, {{"cars", command::ShowCars{}}, {"cvars", command::ShowVariables{}}},
                    command);
}

Status ReadCanvas(const Words& words, Command* command) {
  Status status = ExpectWords(words, 3, 3);
  std::int64_t width = 0, height = 0;
  if (status.ok()) status = ReadInteger(words[1], "canvas width", 1, kInt32Max, &width);
  if (status.ok()) status = ReadInteger(words[2], "canvas height", 1, kInt32Max, &height);
  if (status.ok()) {
    *command = command::Canvas{
        Vector2{static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)}};
  }
  return status;
}

// camera [loc=] [rot=] [fov=] / camera null, and ball [loc=] [vel=] / ball null.
template <typename View>
Status ReadView(const Words& words, Command* command) {
  View view;
  Status status;
  if (words.size() == 2 && words[1] == "null") view.null = true;
  else status = ReadOptions(words, 1, words[0], &view);
  if (status.ok()) *command = std::move(view);
  return status;
}

Status CheckCarName(const std::string& name) {
  if (name == "none") return Bad("'none' cannot name a car: it means no car");
  if (name.find('=') != std::string::npos) {
    return Bad("a car name cannot contain '=': " + Shown(name));
  }
  return CheckName(name, "car name");
}

// car NAME [options] and set NAME [options].
template <typename CarCommand>
Status ReadCar(const Words& words, Command* command) {
  if (words.size() < 2) return Bad("'" + words[0] + "' needs a car name");
  CarCommand car;
  car.name = words[1];
  Status status = CheckCarName(car.name);
  if (status.ok()) status = ReadOptions(words, 2, words[0], &car);
  if (status.ok()) *command = std::move(car);
  return status;
}

Status ReadNullCar(const Words& words, Command* command) {
  const Status status = ExpectWords(words, 1, 1);
  if (status.ok()) *command = command::NullCar{};
  return status;
}

Status ReadLocal(const Words& words, Command* command) {
  Status status = ExpectWords(words, 2, 2);
  if (status.ok()) status = CheckName(words[1], "car name");
  if (!status.ok()) return status;
  command::Local local;
  if (words[1] != "none") local.name = words[1];
  *command = std::move(local);
  return status;
}

Status ReadPress(const Words& words, Command* command) {
  Status status = ExpectWords(words, 1, 2);
  if (status.ok() && words.size() == 2) status = CheckName(words[1], "car name");
  if (!status.ok()) return status;
  command::Press press;
  if (words.size() == 2) press.name = words[1];
  *command = std::move(press);
  return status;
}

Status ReadFrame(const Words& words, Command* command) {
  Status status = ExpectWords(words, 1, 2);
  std::int64_t count = 1;
  if (status.ok() && words.size() == 2) {
    status = ReadInteger(words[1], "frame count", 0, kInt32Max, &count);
  }
  if (status.ok()) *command = command::Frame{static_cast<std::int32_t>(count)};
  return status;
}

// motion on [dt=SECONDS] / motion off.
Status ReadMotion(const Words& words, Command* command) {
  if (words.size() < 2 || (words[1] != "on" && words[1] != "off")) {
    return Bad("'motion' takes on or off");
  }
  const bool on = words[1] == "on";
  command::Motion motion;
  if (on) motion.step = kFrameSeconds;
  const Status status = on ? ReadOptions(words, 2, "motion on", &motion) : ExpectWords(words, 2, 2);
  if (status.ok()) *command = motion;
  return status;
}

// NAME VALUE...: for the player to judge.
Status ReadVariable(const Words& words, Command* command) {
  const Status status = CheckName(words[0], "console variable name");
  if (status.ok()) *command = command::Variable{words[0], Words(words.begin() + 1, words.end())};
  return status;
}

// The words that start a command's line, and how the rest is read. A line
// that starts with none of them sets a console variable.
struct CommandWord {
  const char* word;
  Status (*read)(const Words&, Command*);
};

const CommandWord kCommandWords[] = {
    {"game", ReadGame},
    {"server", ReadServer},
    {"canvas", ReadCanvas},
    {"camera", ReadView<command::Camera>},
    {"ball", ReadView<command::Ball>},
    {"car", ReadCar<command::Car>},
    {"set", ReadCar<command::Set>},
    {"nullcar", ReadNullCar},
    {"local", ReadLocal},
    {"plugin", ReadPlugin},
    {"press", ReadPress},
    {"frame", ReadFrame},
    {"motion", ReadMotion},
    {"show", ReadShow},
};

}  // namespace

std::vector<std::string> SplitWords(const std::string& text) {
  Words words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

Status ReadCommand(const std::string& line, std::optional<Command>* command) {
  command->reset();
  if (line.size() > kMaxLineBytes) return Bad(LineTooLong(kMaxLineBytes));
  const Words words = SplitWords(line);
  if (words.empty() || words[0][0] == '#') return Status::Ok();
  Status (*read)(const Words&, Command*) = ReadVariable;
  for (const CommandWord& entry : kCommandWords) {
    if (words[0] == entry.word) read = entry.read;
  }
  Command parsed;
  const Status status = read(words, &parsed);
  if (status.ok()) *command = std::move(parsed);
  return status;
}

CommandReader::Outcome CommandReader::Next(Command* command) {
  for (;;) {
    switch (lines_.Next(&text_)) {
      case LineReader::Outcome::kEnd:
        return Outcome::kEnd;
      case LineReader::Outcome::kReadFailed:
        status_ = lines_.status();
        return Outcome::kReadFailed;
      case LineReader::Outcome::kBadLine:
        status_ = lines_.status();
        return Outcome::kBadLine;
      case LineReader::Outcome::kLine:
        break;
    }
    std::optional<Command> read;
    status_ = ReadCommand(text_, &read);
    if (!status_.ok()) return Outcome::kBadLine;
    if (read) {
      *command = std::move(*read);
      return Outcome::kCommand;
    }
  }
}

}  // namespace vantorel_sim
