// vantorel-sim: plays a scripted match on the simulated host with the plugin
// loaded, and prints what happens.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "DemoScript.h"
#include "Picture.h"
#include "Platform.h"
#include "ScriptPlayer.h"
#include "ScriptReader.h"
#include "Transcript.h"
#include "simhost/ConfigFile.h"
#include "simhost/Files.h"
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
    "                   beside this program)\n"
    "  --config PATH    the host's configuration file: saved console variables\n"
    "                   are restored from it and written back when the script\n"
    "                   has run to its end\n"
    "  --picture PATH   write a PNG of the last drawn frame, canvas size: cars\n"
    "                   and ball as the host marks them, the plugin's lines on\n"
    "                   top (without any frame: the match at the end)\n"
    "  --help           show this text\n"
    "\n";
const char kUsageAfterGrammar[] =
    "\n"
    "Exit status: 0 when the script ran to its end; 2 for a bad script line\n"
    "(nothing runs); 1 for any other failure.\n";

// What the command line asks for.
struct ProgramOptions {
  std::string plugin;
  std::string config;
  std::string picture;
  std::optional<std::string> script;  // none: the demo
  bool help = false;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "vantorel-sim: %s\n", message.c_str());
  return kExitFailure;
}

int BadLine(const std::string& file, int line, const std::string& message) {
  std::fprintf(stderr, "vantorel-sim: %s:%d: %s\n", file.c_str(), line, message.c_str());
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

// Takes one of the options that name a path, when args[*i] is one.
OptionValue TakePathOption(const std::vector<std::string>& args, std::size_t* i,
                           ProgramOptions* options, std::string* error) {
  for (auto [name, path] : {std::pair{"--plugin", &options->plugin},
                            std::pair{"--config", &options->config},
                            std::pair{"--picture", &options->picture}}) {
    const OptionValue taken = TakeValue(args, i, name, path);
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
      *error = "unknown option '" + arg + "' (see --help)";
      return false;
    }
    if (options->script) {
      *error = "more than one script given: '" + *options->script + "' and '" + arg + "'";
      return false;
    }
    options->script = arg;
  }
  return true;
}

bool LoadScriptText(const ProgramOptions& options, std::string* text, std::string* error) {
  if (!options.script) {
    *text = kDemoScript;
    return true;
  }
  const std::string& path = *options.script;
  if (path == "-") return simhost::ReadAll(BinaryStandardInput(), text, error);
  std::FILE* file = simhost::OpenFile(path, "rb");
  if (file == nullptr) {
    *error = "cannot open the script " + path + ": " + std::strerror(errno);
    return false;
  }
  const bool ok = simhost::ReadAll(file, text, error);
  std::fclose(file);
  if (!ok) *error = "cannot read the script " + path + ": " + *error;
  return ok;
}

// The outcome of playing a whole script.
struct PlayOutcome {
  int exitCode = 0;  // 0: played to the end
  Vector2 pictureCanvas;
  std::optional<Scene> lastFrame;
};

// Plays every command on `host`; stops at the first that is not played.
PlayOutcome PlayAll(simhost::Host& host, Transcript& transcript, const ProgramOptions& options,
                    const std::string& file, const std::vector<Command>& commands,
                    bool keepFrames) {
  PlayOutcome outcome;
  ScriptPlayer player(host, transcript, options.plugin);
  player.SetFrameObserver([&] {
    outcome.pictureCanvas = host.match().canvasSize;
    if (keepFrames) outcome.lastFrame = CaptureScene(host);
  });
  for (const Command& command : commands) {
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
  if (player.framesDrawn() == 0) outcome.pictureCanvas = host.match().canvasSize;
  return outcome;
}

// A silent run on a scratch host, so that a line naming a car or variable
// that will not be there stops the script before anything of it is shown,
// and the configuration file is not touched.
int Rehearse(const ProgramOptions& options, const std::string& file,
             const std::vector<Command>& commands) {
  Transcript silent(nullptr);
  PlayOutcome outcome;
  {
    simhost::Host host(silent);
    outcome = PlayAll(host, silent, options, file, commands, false);
  }
  if (outcome.exitCode != 0) return outcome.exitCode;
  std::string error;
  if (!options.picture.empty() && !CheckPictureSize(outcome.pictureCanvas, &error)) {
    return Fail(error);
  }
  return 0;
}

int Perform(const ProgramOptions& options, const std::string& file,
            const std::vector<Command>& commands) {
  Transcript transcript(stdout);
  simhost::Host host(transcript);
  std::string error;
  if (!options.config.empty() && !host.console().LoadConfig(options.config, &error)) {
    return Fail(error);
  }
  PlayOutcome outcome = PlayAll(host, transcript, options, file, commands,
                                !options.picture.empty());
  if (outcome.exitCode != 0) return outcome.exitCode;
  if (!options.config.empty() && !host.console().SaveConfig(options.config, &error)) {
    return Fail(error);
  }
  if (!options.picture.empty()) {
    const Scene scene = outcome.lastFrame ? *outcome.lastFrame : CaptureScene(host);
    if (!WritePicture(scene, options.picture, &error)) return Fail(error);
  }
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
    return 0;
  }
  if (!options.picture.empty() && !PicturesSupported()) {
    return Fail("this build cannot write pictures (built without Cairo): --picture refused");
  }
  if (options.plugin.empty()) {
    options.plugin = ProgramFolder(args.empty() ? std::string() : args[0]) + VANTOREL_PLUGIN_FILE;
  }
  if (!options.config.empty() && !simhost::ConfigFile::CheckPath(options.config, &error)) {
    return Fail(error);
  }
  std::string text;
  if (!LoadScriptText(options, &text, &error)) return Fail(error);

  const std::string file = options.script ? *options.script : "(demo)";
  std::vector<Command> commands;
  ScriptError bad;
  if (!ReadScript(text, &commands, &bad)) return BadLine(file, bad.line, bad.message);
  if (const int code = Rehearse(options, file, commands); code != 0) return code;
  const int code = Perform(options, file, commands);
  if (std::fflush(stdout) != 0 && code == 0) return Fail("cannot write to standard output");
  return code;
}

}  // namespace
}  // namespace vantorel_sim

int main(int argc, char** argv) { return vantorel_sim::Main(argc, argv); }
