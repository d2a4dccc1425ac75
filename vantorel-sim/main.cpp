// vantorel-sim: plays a scripted match on the simulated host with the plugin
// loaded, and prints what happens.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Animation.h"
#include "DemoScript.h"
#include "OutputFiles.h"
#include "Picture.h"
#include "Platform.h"
#include "ScriptPlayer.h"
#include "ScriptReader.h"
#include "Transcript.h"
#include "simhost/ConfigFile.h"
#include "simhost/Files.h"
#include "simhost/Format.h"
#include "simhost/Host.h"

namespace vantorel_sim {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitBadLine = 2;

// The usage text around the script language, which ScriptGrammar gives.
const char kUsageBeforeGrammar[] =
    "Usage: vantorel-sim [options] [SCRIPT]\n"
    "\n"
    "Plays SCRIPT (a file, or - for standard input) on the simulated host with\n"
    "the Vantorel plugin, and prints one line per event to standard output:\n"
    "[log] [host] [press] [frame] [draw] [car] [cvar]. Without SCRIPT it plays\n"
    "the built-in demo match.\n"
    "\n"
    "Options:\n"
    "  --plugin PATH    the plugin module to load (default: " VANTOREL_PLUGIN_FILE "\n"
    "                   beside this program; a bare file name is the file in\n"
    "                   the current folder)\n"
    "  --config PATH    the host's configuration file: saved console variables\n"
    "                   are restored from it and written back when the script\n"
    "                   has run to its end\n"
    "  --picture PATH   write a PNG of the last drawn frame, canvas size: cars\n"
    "                   and ball as the host marks them, the plugin's lines on\n"
    "                   top (without any frame: the match at the end)\n"
    "  --animation PATH write every drawn frame, painted as --picture paints\n"
    "                   it, as one lossless animated WebP, each frame lasting\n"
    "                   motion's dt (1/60 s without motion); at most 1200\n"
    "                   frames of one canvas size (without any frame: one\n"
    "                   frame of the match at the end)\n"
    "  --help           show this text\n"
    "\n"
    "Each path serves one role: a file given twice, as script, plugin,\n"
    "configuration, picture or animation, is refused before anything runs.\n"
    "\n";
const char kUsageAfterGrammar[] =
    "\n"
    "Lines longer than 64 KiB, scripts larger than 64 MiB and names holding\n"
    "control characters are bad lines.\n"
    "\n"
    "Exit status: 0 when the script ran to its end; 2 for a bad script line\n"
    "(nothing runs); 1 for any other failure.\n";

// What --help adds in a build that cannot write animations; %s names what
// it was built without.
const char kNoAnimations[] = "\nThis build has no %s: --animation is unavailable.\n";

// What the command line asks for.
struct ProgramOptions {
  std::string plugin;
  std::string config;
  std::string picture;
  std::string animation;
  std::optional<std::string> script;  // none: the demo
  bool help = false;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "vantorel-sim: %s\n", simhost::Printable(message).c_str());
  return kExitFailure;
}

int BadLine(const std::string& file, int line, const std::string& message) {
  std::fprintf(stderr, "vantorel-sim: %s\n",
               simhost::Printable(file + ":" + std::to_string(line) + ": " + message).c_str());
  return kExitBadLine;
}

// What TakeValue found at the argument it looked at.
enum class OptionValue {
  kNotThisOption,  // another option: nothing taken
  kTaken,          // the option and its value
  kMissingValue,   // the option, last of the arguments, without its value
};

// Takes the value of the option `name` when args[*i] is that option, given
// as `--name VALUE` or `--name=VALUE`; *i moves past the value.
OptionValue TakeValue(const std::vector<std::string>& args, std::size_t* i,
                      const std::string& name, std::string* value) {
  const std::string& arg = args[*i];
  if (arg == name) {
    if (*i + 1 >= args.size()) return OptionValue::kMissingValue;
    *value = args[++*i];
    return OptionValue::kTaken;
  }
  if (arg.compare(0, name.size() + 1, name + "=") == 0) {
    *value = arg.substr(name.size() + 1);
    return OptionValue::kTaken;
  }
  return OptionValue::kNotThisOption;
}

// Takes one of the options that name a path, when args[*i] is one. An empty
// path is no path: it would quietly mean the default.
OptionValue TakePathOption(const std::vector<std::string>& args, std::size_t* i,
                           ProgramOptions* options, std::string* error) {
  for (auto [name, path] : {std::pair{"--plugin", &options->plugin},
                            std::pair{"--config", &options->config},
                            std::pair{"--picture", &options->picture},
                            std::pair{"--animation", &options->animation}}) {
    OptionValue taken = TakeValue(args, i, name, path);
    if (taken == OptionValue::kTaken && path->empty()) taken = OptionValue::kMissingValue;
    if (taken == OptionValue::kMissingValue) *error = std::string(name) + " needs a path";
    if (taken != OptionValue::kNotThisOption) return taken;
  }
  return OptionValue::kNotThisOption;
}

bool ParseOptions(const std::vector<std::string>& args, ProgramOptions* options,
                  std::string* error) {
  bool onlyFiles = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!onlyFiles && arg.size() > 1 && arg[0] == '-') {
      if (arg == "--") { onlyFiles = true; continue; }
      if (arg == "--help" || arg == "-h") { options->help = true; continue; }
      const OptionValue taken = TakePathOption(args, &i, options, error);
      if (taken == OptionValue::kMissingValue) return false;
      if (taken == OptionValue::kTaken) continue;
      *error = "unknown option " + simhost::Shown(arg) + " (see --help)";
      return false;
    }
    if (options->script) {
      *error = "more than one script given: " + simhost::Shown(*options->script) + " and " +
               simhost::Shown(arg);
      return false;
    }
    options->script = arg;
  }
  return true;
}

bool ReadsStandardInput(const ProgramOptions& options) {
  return options.script && *options.script == "-";
}

// One path in two roles would have the run destroy a file it needs: the
// configuration turned into a PNG, the script or the plugin module written
// over. Paths are compared as files, so that other spellings, links and
// hard links are caught too.
bool CheckRoles(const ProgramOptions& options, std::string* error) {
  std::vector<std::pair<std::string, std::string>> roles;
  if (options.script && !ReadsStandardInput(options)) {
    roles.emplace_back("the script", *options.script);
  }
  roles.emplace_back("--plugin", options.plugin);
  if (!options.config.empty()) roles.emplace_back("--config", options.config);
  if (!options.picture.empty()) roles.emplace_back("--picture", options.picture);
  if (!options.animation.empty()) roles.emplace_back("--animation", options.animation);
  for (std::size_t i = 0; i < roles.size(); ++i) {
    for (std::size_t j = i + 1; j < roles.size(); ++j) {
      if (!SameFile(roles[i].second, roles[j].second)) continue;
      *error = roles[i].first + " " + simhost::Shown(roles[i].second) + " and " +
               roles[j].first + " " + simhost::Shown(roles[j].second) +
               " are one file: each needs a path of its own";
      return false;
    }
  }
  return true;
}

// The outcome of playing a whole script.
struct PlayOutcome {
  int exitCode = 0;  // 0: played to the end
  // The canvas of the last drawn frame; without any frame, the canvas at
  // the end.
  Vector2 pictureCanvas;
  std::optional<Scene> lastFrame;
  long long frames = 0;
  float frameSeconds = kFrameSeconds;  // what a frame drawn at the end would last
};

std::string ReadError(const ProgramOptions& options, const std::string& reason) {
  if (ReadsStandardInput(options)) return "cannot read the script from standard input: " + reason;
  return "cannot read the script " + *options.script + ": " + reason;
}

// Plays every command `reader` gives on `host`; stops at the first that is
// not played. `eachFrame`, when set, is called after every drawn frame with
// the time it stands for.
PlayOutcome PlayAll(simhost::Host& host, Transcript& transcript, const ProgramOptions& options,
                    const std::string& file, ScriptReader& reader, bool keepFrames,
                    std::function<void(float)> eachFrame) {
  PlayOutcome outcome;
  ScriptPlayer player(host, transcript, options.plugin);
  player.SetFrameObserver([&] {
    outcome.pictureCanvas = host.match().Read()->canvasSize;
    if (keepFrames) outcome.lastFrame = CaptureScene(host);
  });
  player.SetEachFrameObserver(std::move(eachFrame));
  Command command;
  for (;;) {
    const ScriptReader::Status status = reader.Next(&command);
    if (status == ScriptReader::Status::kEnd) break;
    if (status == ScriptReader::Status::kBadLine) {
      outcome.exitCode = BadLine(file, reader.error().line, reader.error().message);
      return outcome;
    }
    if (status == ScriptReader::Status::kReadError) {
      outcome.exitCode = Fail(ReadError(options, reader.error().message));
      return outcome;
    }
    std::string message;
    const ScriptPlayer::Result result = player.Play(command, &message);
    if (result == ScriptPlayer::Result::kBadLine) {
      outcome.exitCode = BadLine(file, command.line, message);
      return outcome;
    }
    if (result == ScriptPlayer::Result::kFailed) {
      outcome.exitCode = Fail(message);
      return outcome;
    }
  }
  if (player.framesDrawn() == 0) outcome.pictureCanvas = host.match().Read()->canvasSize;
  outcome.frames = player.framesDrawn();
  outcome.frameSeconds = player.frameSeconds();
  return outcome;
}

// A silent run on a scratch host as the script is read, so that a line
// naming a car or variable that will not be there stops the script before
// anything of it is shown, and the configuration file is not touched; and
// so that a picture or an animation that could not be written is refused
// before anything runs. Keeps the script's text in `script` for the run
// that counts.
int Rehearse(const ProgramOptions& options, const std::string& file, ScriptReader& reader,
             std::string* script) {
  Transcript silent(nullptr);
  PlayOutcome outcome;
  AnimationPlan plan;
  reader.KeepText(script);
  {
    simhost::Host host(silent);
    std::function<void(float)> tally;
    if (!options.animation.empty()) {
      tally = [&](float seconds) { plan.AddFrame(host.match().Read()->canvasSize, seconds); };
    }
    outcome = PlayAll(host, silent, options, file, reader, false, std::move(tally));
  }
  if (outcome.exitCode != 0) return outcome.exitCode;
  std::string error;
  if (!options.picture.empty() && !CheckPictureSize(outcome.pictureCanvas, &error)) {
    return Fail(error);
  }
  if (!options.animation.empty() &&
      !plan.Check(outcome.pictureCanvas, outcome.frameSeconds, &error)) {
    return Fail("cannot write the animation " + options.animation + ": " + error);
  }
  return 0;
}

int Perform(const ProgramOptions& options, const std::string& file, const std::string& script) {
  Transcript transcript(stdout);
  simhost::Host host(transcript);
  std::string error;
  if (!options.config.empty() && !host.console().LoadConfig(options.config, &error)) {
    return Fail(error);
  }
  ScriptReader reader(script);
  // The animation's frames are painted and encoded as they are drawn.
  std::optional<AnimationWriter> animation;
  std::function<void(float)> record;
  if (!options.animation.empty()) {
    animation.emplace(options.animation);
    record = [&](float seconds) { animation->AddFrame(CaptureScene(host), seconds); };
  }
  PlayOutcome outcome = PlayAll(host, transcript, options, file, reader,
                                !options.picture.empty(), std::move(record));
  if (outcome.exitCode != 0) return outcome.exitCode;
  // A transcript that could not be written is a failed run, which saves
  // nothing.
  if (std::fflush(stdout) != 0) return Fail("cannot write to standard output");
  std::vector<Output> outputs;
  if (animation) {
    // A run without a frame shows the match as it stands, as --picture does.
    if (outcome.frames == 0) animation->AddFrame(CaptureScene(host), outcome.frameSeconds);
    outputs.push_back(Output{options.animation, "the animation", std::string()});
    if (!animation->Finish(&outputs.back().content, &error)) return Fail(error);
  }
  if (!options.picture.empty()) {
    const Scene scene = outcome.lastFrame ? std::move(*outcome.lastFrame) : CaptureScene(host);
    outputs.emplace_back();
    if (!PictureOutput(scene, options.picture, &outputs.back(), &error)) return Fail(error);
  }
  if (!SaveOutputs(host.console(), options.config, outputs, &error)) return Fail(error);
  return 0;
}

int Main(int argc, char** argv) {
  const std::vector<std::string> args = Arguments(argc, argv);
  ProgramOptions options;
  std::string error;
  if (!ParseOptions(args, &options, &error)) return Fail(error);
  if (options.help) {
    std::fputs(kUsageBeforeGrammar, stdout);
    std::fputs(ScriptGrammar().c_str(), stdout);
    std::fputs(kUsageAfterGrammar, stdout);
    if (!PicturesSupported()) {
      std::fputs("\nThis build has no Cairo: --picture is unavailable.\n", stdout);
    }
    std::string missing;
    if (!AnimationsSupported(&missing)) std::printf(kNoAnimations, missing.c_str());
    return 0;
  }
  if (options.plugin.empty()) {
    options.plugin = ProgramFolder(args.empty() ? std::string() : args[0]) + VANTOREL_PLUGIN_FILE;
  }

  // Every output is checked before the script is read: a run that could not
  // save what it made must not begin.
  if (!CheckRoles(options, &error)) return Fail(error);
  if (!options.picture.empty() && !PicturesSupported()) {
    return Fail("this build cannot write pictures (built without Cairo): --picture refused");
  }
  if (!options.picture.empty() && !CheckOutput(options.picture, "the picture", &error)) {
    return Fail(error);
  }
  if (!options.animation.empty() && !CheckAnimationsSupported(&error)) return Fail(error);
  if (!options.animation.empty() &&
      !CheckOutput(options.animation, "the animation", &error)) {
    return Fail(error);
  }
  if (!options.config.empty() && !simhost::ConfigFile::CheckPath(options.config, &error)) {
    return Fail(error);
  }

  const std::string demo = kDemoScript;
  std::FILE* input = nullptr;
  if (ReadsStandardInput(options)) {
    input = BinaryStandardInput();
  } else if (options.script) {
    input = simhost::OpenFile(*options.script, "rb");
    if (input == nullptr) {
      return Fail("cannot open the script " + *options.script + ": " + std::strerror(errno));
    }
  }
  const std::string file = options.script ? *options.script : "(demo)";
  std::string script;
  int code = 0;
  {
    ScriptReader reader = input != nullptr ? ScriptReader(input) : ScriptReader(demo);
    code = Rehearse(options, file, reader, &script);
  }
  if (input != nullptr && !ReadsStandardInput(options)) std::fclose(input);
  if (code != 0) return code;
  code = Perform(options, file, script);
  if (std::fflush(stdout) != 0 && code == 0) return Fail("cannot write to standard output");
  return code;
}

}  // namespace
}  // namespace vantorel_sim

int main(int argc, char** argv) { return vantorel_sim::Main(argc, argv); }
