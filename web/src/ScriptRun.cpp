#include "ScriptRun.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "Grammar.h"
#include "LineReader.h"
#include "LinkedPlugin.h"
#include "PageFiles.h"
#include "Program.h"
#include "ScriptPlayer.h"
#include "Transcript.h"
#include "simhost/Host.h"

namespace vantorel_web {

namespace {

// Standard input that is empty: the page gives scripts as files.
class NoInput : public vantorel_sim::ScriptInput {
 public:
  files::Status Read(char*, std::size_t, std::size_t* count) override {
    *count = 0;
    return files::Status::Ok();
  }
};

// The program's standard streams, in memory.
class MemoryStreams : public vantorel_sim::ProgramStreams {
 public:
  explicit MemoryStreams(ProgramResult* result) : result_(result) {}
  vantorel_sim::ScriptInput& input() override { return input_; }
  void Write(const std::string& text) override { result_->out += text; }
  bool Flush() override { return true; }
  void WriteError(const std::string& text) override { result_->err += text; }
  // The page shows no progress line: a script's frames are few.
  bool ErrorIsTerminal() const override { return false; }

 private:
  ProgramResult* result_;
  NoInput input_;
};

constexpr char kScriptFolder[] = "/scripts";

}  // namespace

ProgramResult PlayScript(const std::string& name, const std::string& text) {
  ProgramResult result;
  mkdir(kScriptFolder, 0755);
  const files::Status kept =
      chdir(kScriptFolder) == 0 ? KeepFile(name, text) : files::Status::Error("no folder");
  if (!kept.ok()) {
    result.err = "vantorel-sim: " + kept.message() + "\n";
    result.code = 1;
    return result;
  }
  MemoryStreams streams(&result);
  result.code = vantorel_sim::RunProgram({"vantorel-sim", name}, streams);
  std::remove(name.c_str());
  return result;
}

std::vector<RecordedFrame> RecordFrames(const std::string& text, std::size_t maxFrames) {
  // The transcript is PlayScript's to give.
  vantorel_sim::Transcript transcript(nullptr);
  simhost::Host host(transcript, simhost::Locking::kUnlocked);
  vantorel_sim::ScriptPlayer player(host, transcript, kPluginFile);
  std::vector<RecordedFrame> frames;
  player.SetEachFrameObserver([&](float seconds) {
    if (frames.size() < maxFrames) {
      frames.push_back(RecordedFrame{seconds, vantorel_sim::CaptureScene(host)});
    }
  });
  vantorel_sim::LineReader lines(text);
  vantorel_sim::CommandReader commands(lines);
  vantorel_sim::Command command;
  while (commands.Next(&command) == vantorel_sim::CommandReader::Outcome::kCommand &&
         player.Play(command).outcome == vantorel_sim::ScriptPlayer::Outcome::kPlayed) {
  }
  if (frames.empty()) {
    frames.push_back(RecordedFrame{player.frameSeconds(), vantorel_sim::CaptureScene(host)});
  }
  return frames;
}

}  // namespace vantorel_web
