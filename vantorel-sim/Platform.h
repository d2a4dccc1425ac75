#pragma once

// What vantorel-sim alone needs from the operating system, with UTF-8
// arguments and paths on Windows as elsewhere. Files are the file library's
// (files/Files.h), which the program shares with the host.

#include <cstdio>
#include <string>
#include <vector>

namespace vantorel_sim {

// The program's arguments as UTF-8 (on Windows, from the wide command line).
std::vector<std::string> Arguments(int argc, char** argv);

// Standard input as bytes (no line-end translation on Windows).
std::FILE* BinaryStandardInput();

// Whether standard error is a terminal (a console on Windows).
bool StandardErrorIsTerminal();

// The folder holding the running program, with a trailing separator; empty
// when it cannot be found.
std::string ProgramFolder(const std::string& argv0);

}  // namespace vantorel_sim
