#pragma once

// A ScriptPlayer on a host of its own, its transcript kept in memory.
// Header-only, for the test programs that link vantorel_sim.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Grammar.h"
#include "ScriptPlayer.h"
#include "Transcript.h"
#include "simhost/Host.h"

namespace vantorel_test {

// One script line read alone; a line that does not read as a command fails
// the test.
inline vantorel_sim::Command CommandOf(const std::string& line) {
  std::optional<vantorel_sim::Command> command;
  const files::Status status = vantorel_sim::ReadCommand(line, &command);
  EXPECT_TRUE(status.ok() && command) << line << ": " << status.message();
  return command.value_or(vantorel_sim::Command());
}

// Every command of a script's `text`, in order; a bad line fails the test.
inline std::vector<vantorel_sim::Command> CommandsOf(const std::string& text) {
  vantorel_sim::LineReader lines(text);
  vantorel_sim::CommandReader reader(lines);
  std::vector<vantorel_sim::Command> commands;
  vantorel_sim::Command command;
  while (reader.Next(&command) == vantorel_sim::CommandReader::Outcome::kCommand) {
    commands.push_back(command);
  }
  EXPECT_TRUE(reader.status().ok()) << reader.line() << ": " << reader.status().message();
  return commands;
}

// Text handed to a reader in chunks, as a stream hands its bytes, counting
// how many were taken.
class TextInput : public vantorel_sim::ScriptInput {
 public:
  explicit TextInput(std::string text) : text_(std::move(text)) {}
  files::Status Read(char* buffer, std::size_t size, std::size_t* count) override {
    *count = std::min(size, text_.size() - taken_);
    std::memcpy(buffer, text_.data() + taken_, *count);
    taken_ += *count;
    return files::Status::Ok();
  }
  std::size_t taken() const { return taken_; }

 private:
  std::string text_;
  std::size_t taken_ = 0;
};

// A transcript's lines, kept until a test takes them.
class CapturedLines : public vantorel_sim::LineSink {
 public:
  void Line(const std::string& text) override { text_ += text + "\n"; }
  // Everything written since the last call.
  std::string Take() { return std::exchange(text_, std::string()); }

 private:
  std::string text_;
};

// A player loading `pluginModule` on `plugin load`.
class ScriptPlayerFixture : public ::testing::Test {
 protected:
  using Outcome = vantorel_sim::ScriptPlayer::Outcome;

  explicit ScriptPlayerFixture(const std::string& pluginModule)
      : transcript_(&captured_), host_(transcript_), player_(host_, transcript_, pluginModule) {}

  // Plays one line; `message_` says why when it is not played.
  Outcome Play(const std::string& line) {
    const vantorel_sim::ScriptPlayer::Result result = player_.Play(CommandOf(line));
    message_ = result.status.message();
    return result.outcome;
  }

  // Plays lines that must all be played.
  void PlayAll(std::initializer_list<const char*> lines) {
    for (const char* line : lines) {
      ASSERT_EQ(Play(line), Outcome::kPlayed) << line << ": " << message_;
    }
  }

  simhost::Match& match() { return host_.match(); }

  CapturedLines captured_;
  vantorel_sim::Transcript transcript_;
  simhost::Host host_;
  vantorel_sim::ScriptPlayer player_;
  std::string message_;
};

}  // namespace vantorel_test
