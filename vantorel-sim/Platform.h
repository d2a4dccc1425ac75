#pragma once

// What vantorel-sim needs from the operating system, with UTF-8 paths and
// arguments on Windows as elsewhere.

#include <cstdio>
#include <string>
#include <vector>

namespace vantorel_sim {

// The program's arguments as UTF-8 (on Windows, from the wide command line).
std::vector<std::string> Arguments(int argc, char** argv);

// std::fopen with a UTF-8 path.
std::FILE* OpenFile(const std::string& path, const char* mode);

// Reads all of `file` as bytes. False with `error` set on a read error.
bool ReadAll(std::FILE* file, std::string* text, std::string* error);

// Standard input as bytes (no line-end translation on Windows).
std::FILE* BinaryStandardInput();

// The folder holding the running program, with a trailing separator; empty
// when it cannot be found.
std::string ProgramFolder(const std::string& argv0);

}  // namespace vantorel_sim
