#pragma once

// The third of the script reader's three parts: what --help says, the
// script language among it, as the grammar (Grammar.h) reads it.

#include <string>

namespace vantorel_sim {

// The script language: how lines are written, then one entry per command
// with its synopsis and effect, as --help prints it and README.md shows it.
std::string ScriptGrammar();

// The whole of --help: the usage and options, the script language, and
// what this build cannot write.
std::string HelpText();

}  // namespace vantorel_sim
