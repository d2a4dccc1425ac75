#pragma once

// vantorel-sim's standard streams in memory, for RunProgram in-process.
// Header-only, for the test programs that link vantorel_sim.

#include <string>

#include "Program.h"
#include "ScriptPlayerFixture.h"

namespace vantorel_test {

class MemoryStreams : public vantorel_sim::ProgramStreams {
 public:
  vantorel_sim::ScriptInput& input() override { return input_; }
  void Write(const std::string& text) override { out += text; }
  bool Flush() override { return !outputFails; }
  void WriteError(const std::string& text) override { err += text; }
  bool ErrorIsTerminal() const override { return errorIsTerminal; }

  TextInput input_{""};
  bool outputFails = false;
  bool errorIsTerminal = false;
  std::string out;
  std::string err;
};

}  // namespace vantorel_test
