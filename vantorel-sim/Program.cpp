#include "Program.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <utility>

#include "Animation.h"
#include "DemoScript.h"
#include "Grammar.h"
#include "Help.h"
#include "Options.h"
#include "OutputFiles.h"
#include "Picture.h"
#include "Platform.h"
#include "Progress.h"
#include "ScriptPlayer.h"
#include "Transcript.h"
#include "simhost/ConfigFile.h"
#include "files/Files.h"
#include "files/Text.h"
#include "simhost/Host.h"

namespace vantorel_sim {

namespace {

using files::Status;

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitBadLine = 2;

// Made before it is needed: when it is, the memory may be gone.
const std::string kOutOfMemory = "vantorel-sim: out of memory\n";

// Standard output as the transcript's sink.
class OutputLines : public LineSink {
 public:
  explicit OutputLines(ProgramStreams& streams) : streams_(streams) {}
  void Line(const std::string& text) override {
    streams_.Write(text);
    streams_.Write("\n");
  }

 private:
  ProgramStreams& streams_;
};

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, CloseFile>;

// Every output is checked before the script is read: a run that could not
// save what it made must not begin.
Status CheckOutputs(const ProgramOptions& options) {
  Status status = CheckRoles(options);
  if (!status.ok()) return status;
  if (!options.picture.empty()) {
    if (!PicturesSupported()) {
      return Status::Error(
          "this build cannot write pictures (built without Cairo): --picture refused");
    }
    status = CheckOutput(options.picture, "the picture");
    if (!status.ok()) return status;
  }
  if (!options.animation.empty()) {
    status = CheckAnimationsSupported();
    if (!status.ok()) return status;
    status = CheckOutput(options.animation, "the animation");
    if (!status.ok()) return status;
  }
  if (!options.config.empty()) return simhost::ConfigFile::CheckPath(options.config);
  return Status::Ok();
}

// The outcome of playing a whole script.
struct PlayOutcome {
  int exitCode = kExitSuccess;  // kExitSuccess: played to the end
  // The canvas of the last drawn frame; without any frame, the canvas at
  // the end.
  Vector2 pictureCanvas;
  std::optional<Scene> lastFrame;
  long long frames = 0;
  float frameSeconds = kFrameSeconds;  // what a frame drawn at the end would last
};

// One run of the program: its options, its streams, and how it reports a
// failure on standard error.
class Run {
 public:
  explicit Run(ProgramStreams& streams) : streams_(streams) {}

  int Main(const std::vector<std::string>& args);

 private:
  int Fail(const std::string& message);
  int BadLine(int line, const std::string& message);
  std::string ReadError(const std::string& reason) const;
  int RehearseScript(std::string* script);
  int Rehearse(LineReader& lines, std::string* script);
  int Perform(const std::string& script);
  int WriteOutputs(simhost::Host& host, PlayOutcome& outcome, AnimationWriter* animation);
  PlayOutcome PlayAll(simhost::Host& host, Transcript& transcript, LineReader& lines,
                      bool keepFrames, std::function<void(float)> eachFrame,
                      long long drawingLimit);
  int PlayCommands(CommandReader& commands, ScriptPlayer& player);

  ProgramStreams& streams_;
  ProgramOptions options_;
  std::string file_;  // the script as messages name it
  long long frames_ = 0;  // the frames the script draws, as the rehearsal counted them
  std::optional<Progress> progress_;  // while an animation is recorded
};

int Run::Main(const std::vector<std::string>& args) {
  Status status = ParseOptions(args, &options_);
  if (!status.ok()) return Fail(status.message());
  if (options_.help) {
    streams_.Write(HelpText());
    return kExitSuccess;
  }
  if (options_.plugin.empty()) {
    options_.plugin = ProgramFolder(args.empty() ? std::string() : args[0]) + VANTOREL_PLUGIN_FILE;
  }
  status = CheckOutputs(options_);
  if (!status.ok()) return Fail(status.message());
  std::string script;
  int code = RehearseScript(&script);
  if (code != kExitSuccess) return code;
  code = Perform(script);
  if (!streams_.Flush() && code == kExitSuccess) return Fail("cannot write to standard output");
  return code;
}

// Reads the script, from its file, standard input or the demo, in a
// rehearsal that keeps its text in `script`.
int Run::RehearseScript(std::string* script) {
  file_ = options_.script ? *options_.script : "(demo)";
  if (!options_.script) {
    const std::string demo = kDemoScript;
    LineReader lines(demo);
    return Rehearse(lines, script);
  }
  if (options_.ReadsStandardInput()) {
    LineReader lines(streams_.input());
    return Rehearse(lines, script);
  }
  const FilePointer file(files::OpenFile(*options_.script, "rb"));
  if (file == nullptr) {
    return Fail("cannot open the script " + *options_.script + ": " + std::strerror(errno));
  }
  FileInput input(file.get());
  LineReader lines(input);
  return Rehearse(lines, script);
}

int Run::Fail(const std::string& message) {
  if (progress_) progress_->End();
  streams_.WriteError("vantorel-sim: " + files::Printable(message) + "\n");
  return kExitFailure;
}

int Run::BadLine(int line, const std::string& message) {
  streams_.WriteError(
      "vantorel-sim: " +
      files::Printable(file_ + ":" + std::to_string(line) + ": " + message) + "\n");
  return kExitBadLine;
}

std::string Run::ReadError(const std::string& reason) const {
  if (options_.ReadsStandardInput()) {
    return "cannot read the script from standard input: " + reason;
  }
  return "cannot read the script " + *options_.script + ": " + reason;
}

// A silent run on a scratch host as the script is read, so that a line
// naming a car or variable that will not be there stops the script before
// anything of it is shown, and the configuration file is not touched; and
// so that a picture or an animation that could not be written is refused
// before anything runs. Keeps the script's text in `script` for the run
// that counts. Frames past an animation's limit are counted, not drawn:
// the run will be refused for them, and every later line is still read.
int Run::Rehearse(LineReader& lines, std::string* script) {
  Transcript silent(nullptr);
  PlayOutcome outcome;
  AnimationPlan plan;
  lines.KeepText(script);
  {
    simhost::Host host(silent);
    std::function<void(float)> tally;
    long long drawingLimit = std::numeric_limits<long long>::max();
    if (!options_.animation.empty()) {
      tally = [&](float seconds) { plan.AddFrame(host.match().Read()->canvasSize, seconds); };
      drawingLimit = kMaxAnimationFrames + 1;
    }
    outcome = PlayAll(host, silent, lines, false, std::move(tally), drawingLimit);
  }
  if (outcome.exitCode != kExitSuccess) return outcome.exitCode;
  frames_ = outcome.frames;
  if (!options_.picture.empty()) {
    const Status status = CheckPictureSize(outcome.pictureCanvas);
    if (!status.ok()) return Fail(status.message());
  }
  if (!options_.animation.empty()) {
    const Status status = plan.Check(outcome.frames, outcome.pictureCanvas, outcome.frameSeconds);
    if (!status.ok()) {
      return Fail("cannot write the animation " + options_.animation + ": " + status.message());
    }
  }
  return kExitSuccess;
}

int Run::Perform(const std::string& script) {
  OutputLines out(streams_);
  Transcript transcript(&out);
  simhost::Host host(transcript);
  if (!options_.config.empty()) {
    const Status loaded = host.console().LoadConfig(options_.config);
    if (!loaded.ok()) return Fail(loaded.message());
  }
  LineReader lines(script);
  // The animation's frames are painted and encoded as they are drawn.
  std::optional<AnimationWriter> animation;
  std::function<void(float)> record;
  if (!options_.animation.empty()) {
    animation.emplace(options_.animation);
    progress_.emplace(streams_, frames_);
    record = [&](float seconds) {
      animation->AddFrame(CaptureScene(host), seconds);
      progress_->Frame();
    };
  }
  PlayOutcome outcome = PlayAll(host, transcript, lines, !options_.picture.empty(),
                                std::move(record), std::numeric_limits<long long>::max());
  if (outcome.exitCode != kExitSuccess) return outcome.exitCode;
  // A transcript that could not be written is a failed run, which saves
  // nothing.
  if (!streams_.Flush()) return Fail("cannot write to standard output");
  return WriteOutputs(host, outcome, animation ? &*animation : nullptr);
}

// The end of a run that played to its end: the animation and the picture
// made, then written with the configuration (OutputFiles.h).
int Run::WriteOutputs(simhost::Host& host, PlayOutcome& outcome, AnimationWriter* animation) {
  std::vector<Output> outputs;
  if (animation != nullptr) {
    // A run without a frame shows the match as it stands, as --picture does.
    if (outcome.frames == 0) animation->AddFrame(CaptureScene(host), outcome.frameSeconds);
    outputs.push_back(Output{options_.animation, "the animation", std::string()});
    const Status status = animation->Finish(&outputs.back().content);
    if (!status.ok()) return Fail(status.message());
  }
  if (!options_.picture.empty()) {
    const Scene scene = outcome.lastFrame ? std::move(*outcome.lastFrame) : CaptureScene(host);
    outputs.emplace_back();
    const Status painted = PictureOutput(scene, options_.picture, &outputs.back());
    if (!painted.ok()) return Fail(painted.message());
  }
  // A save that waits for another run's says so, or the run would seem to
  // hang.
  const auto waiting = [this] {
    streams_.WriteError("vantorel-sim: " +
                        files::Printable("waiting for the lock on " + options_.config) + "\n");
  };
  const Status saved = SaveOutputs(host.console(), options_.config, outputs, waiting);
  return saved.ok() ? kExitSuccess : Fail(saved.message());
}

// Plays every command `lines` gives on `host`; stops at the first that is
// not played. `eachFrame`, when set, is called after every drawn frame with
// the time it stands for. Frames past `drawingLimit` are counted, not drawn
// (ScriptPlayer::StopDrawingAfter). A script played to its end leaves the
// plugin unloaded.
PlayOutcome Run::PlayAll(simhost::Host& host, Transcript& transcript, LineReader& lines,
                         bool keepFrames, std::function<void(float)> eachFrame,
                         long long drawingLimit) {
  PlayOutcome outcome;
  ScriptPlayer player(host, transcript, options_.plugin);
  player.StopDrawingAfter(drawingLimit);
  player.SetFrameObserver([&] {
    outcome.pictureCanvas = host.match().Read()->canvasSize;
    if (keepFrames) outcome.lastFrame = CaptureScene(host);
  });
  player.SetEachFrameObserver(std::move(eachFrame));
  CommandReader commands(lines);
  outcome.exitCode = PlayCommands(commands, player);
  if (outcome.exitCode != kExitSuccess) return outcome;
  // As the host would at its end, but before anything is saved, so that
  // the plugin's onUnload running out of memory fails the run before it
  // saves.
  host.UnloadPlugin();
  if (player.framesDrawn() == 0) outcome.pictureCanvas = host.match().Read()->canvasSize;
  outcome.frames = player.framesDrawn();
  outcome.frameSeconds = player.frameSeconds();
  return outcome;
}

int Run::PlayCommands(CommandReader& commands, ScriptPlayer& player) {
  Command command;
  for (;;) {
    switch (commands.Next(&command)) {
      case CommandReader::Outcome::kEnd:
        return kExitSuccess;
      case CommandReader::Outcome::kBadLine:
        return BadLine(commands.line(), commands.status().message());
      case CommandReader::Outcome::kReadFailed:
        return Fail(ReadError(commands.status().message()));
      case CommandReader::Outcome::kCommand:
        break;
    }
    const ScriptPlayer::Result result = player.Play(command);
    if (result.outcome == ScriptPlayer::Outcome::kBadLine) {
      return BadLine(commands.line(), result.status.message());
    }
    if (result.outcome == ScriptPlayer::Outcome::kFailed) return Fail(result.status.message());
  }
}

}  // namespace

int RunProgram(const std::vector<std::string>& args, ProgramStreams& streams) {
  // Out of memory anywhere in the run ends it here, with a message: what the
  // run held is released on the way, the outputs it had prepared with it.
  try {
    Run run(streams);
    return run.Main(args);
  } catch (const std::bad_alloc&) {
    streams.WriteError(kOutOfMemory);
    return kExitFailure;
  }
}

}  // namespace vantorel_sim
