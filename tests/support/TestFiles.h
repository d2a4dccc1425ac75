#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace vantorel_test {

// Whole files in and out, binary, for tests that prepare or inspect a
// configuration file and for replaying saved fuzz inputs.
inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

// The whole file; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

}  // namespace vantorel_test
