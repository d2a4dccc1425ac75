#pragma once

// A ScriptPlayer on a host of its own, its transcript in a file the test
// reads back. Header-only, for the test programs that link vantorel_sim.

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>

#include "Paths.h"
#include "ScriptPlayer.h"
#include "ScriptReader.h"
#include "StatusAssertions.h"
#include "files/Files.h"
#include "simhost/Host.h"

namespace vantorel_test {

// One script line read alone, as line 1; a line that does not read fails
// the test.
inline vantorel_sim::Command ReadCommand(const std::string& line) {
  std::optional<vantorel_sim::Command> command;
  std::string message;
  EXPECT_TRUE(vantorel_sim::ReadLine(line, 1, &command, &message)) << line << ": " << message;
  return command.value_or(vantorel_sim::Command());
}

// A transcript written to a file of the test's own, read back as text.
class CapturedTranscript {
 public:
  CapturedTranscript() : path_(TempPath("txt")), file_(files::OpenFile(path_, "w+b")) {}
  ~CapturedTranscript() {
    if (file_ != nullptr) std::fclose(file_);
    std::remove(path_.c_str());
  }

  std::FILE* file() { return file_; }

  // Everything written since the last call. The transcript keeps writing to
  // the same stream, so the stream stays open and is read from where the
  // last call stopped.
  std::string Take() {
    std::string text;
    std::fflush(file_);
    std::fseek(file_, taken_, SEEK_SET);
    EXPECT_TRUE(Succeeded(files::ReadAll(file_, &text)));
    taken_ += static_cast<long>(text.size());
    std::fseek(file_, 0, SEEK_END);
    return text;
  }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  long taken_ = 0;
};

// A player loading `pluginModule` on `plugin load`.
class ScriptPlayerFixture : public ::testing::Test {
 protected:
  using Result = vantorel_sim::ScriptPlayer::Result;

  explicit ScriptPlayerFixture(const std::string& pluginModule)
      : transcript_(captured_.file()),
        host_(transcript_),
        player_(host_, transcript_, pluginModule) {}

  // Plays one line; `message_` says why when it is not played.
  Result Play(const std::string& line) {
    message_.clear();
    return player_.Play(ReadCommand(line), &message_);
  }

  // Plays lines that must all be played.
  void PlayAll(std::initializer_list<const char*> lines) {
    for (const char* line : lines) {
      ASSERT_EQ(Play(line), Result::kPlayed) << line << ": " << message_;
    }
  }

  simhost::Match& match() { return host_.match(); }

  CapturedTranscript captured_;
  vantorel_sim::Transcript transcript_;
  simhost::Host host_;
  vantorel_sim::ScriptPlayer player_;
  std::string message_;
};

}  // namespace vantorel_test
