#pragma once

// vantorel-sim as a library: the whole program behind one call, so that
// tests and a browser build can run it in-process, as many times as they
// like; main.cpp only hands it the process's arguments and streams.

#include <optional>
#include <string>
#include <vector>

#include "LineReader.h"

namespace vantorel_sim {

// The standard streams a run of the program reads and writes. Implemented
// over the process's own (ProcessStreams), or over memory by a test.
class ProgramStreams {
 public:
  virtual ~ProgramStreams() = default;

  // Standard input, which the script "-" is read from.
  virtual ScriptInput& input() = 0;
  // Standard output: the transcript, or the help.
  virtual void Write(const std::string& text) = 0;
  // Pushes out what was written; false when any of it could not be
  // written.
  virtual bool Flush() = 0;
  // Standard error: one line for each failure.
  virtual void WriteError(const std::string& text) = 0;
  // Whether standard error is a terminal, where a long recording shows its
  // progress (Progress.h).
  virtual bool ErrorIsTerminal() const = 0;
};

// The process's standard streams; standard input as bytes, with no
// line-end translation on Windows.
class ProcessStreams : public ProgramStreams {
 public:
  ScriptInput& input() override;
  void Write(const std::string& text) override;
  bool Flush() override;
  void WriteError(const std::string& text) override;
  bool ErrorIsTerminal() const override;

 private:
  std::optional<FileInput> input_;  // made when first asked for
};

// Runs vantorel-sim with the arguments `args` (the program's name first)
// on `streams`, and returns its exit status: 0 when the script ran to its
// end, 2 for a bad script line, 1 for any other failure, running out of
// memory included. Keeps nothing between calls.
int RunProgram(const std::vector<std::string>& args, ProgramStreams& streams);

}  // namespace vantorel_sim
