#pragma once

// vantorel-sim's command line: what it asks for, and the check that each
// path it names serves one role.

#include <optional>
#include <string>
#include <vector>

#include "files/Status.h"

namespace vantorel_sim {

// What the command line asks for.
struct ProgramOptions {
  std::string plugin;  // empty: the module built beside the program
  std::string config;
  std::string picture;
  std::string animation;
  std::optional<std::string> script;  // none: the demo
  bool help = false;

  // Whether the script is "-", standard input.
  bool ReadsStandardInput() const { return script && *script == "-"; }
};

// Reads `args`, the program's name first: options as `--name VALUE` or
// `--name=VALUE`, at most one script, and after `--` only the script.
files::Status ParseOptions(const std::vector<std::string>& args, ProgramOptions* options);

// One path in two roles would have the run destroy a file it needs: the
// configuration turned into a PNG, the script or the plugin module written
// over. Paths are compared as files, so that other spellings, links and
// hard links are caught too.
files::Status CheckRoles(const ProgramOptions& options);

}  // namespace vantorel_sim
