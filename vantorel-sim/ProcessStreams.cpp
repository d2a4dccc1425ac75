#include <cstdio>

#include "Platform.h"
#include "Program.h"

namespace vantorel_sim {

ScriptInput& ProcessStreams::input() {
  if (!input_) input_.emplace(BinaryStandardInput());
  return *input_;
}

void ProcessStreams::Write(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

bool ProcessStreams::Flush() { return std::fflush(stdout) == 0 && !std::ferror(stdout); }

void ProcessStreams::WriteError(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
}

bool ProcessStreams::ErrorIsTerminal() const { return StandardErrorIsTerminal(); }

}  // namespace vantorel_sim
