#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

// What saving `path` left beside it: the names in its folder that begin
// with its own name and a dot, such as a temporary file. Windows keeps the
// lock file PATH.lock on purpose; it is not counted there.
inline std::vector<std::string> Leftovers(const std::string& path) {
  const std::filesystem::path file(path);
  const std::string prefix = file.filename().string() + ".";
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
    const std::string name = entry.path().filename().string();
#ifdef _WIN32
    if (name == prefix + "lock") continue;
#endif
    if (name.compare(0, prefix.size(), prefix) == 0) names.push_back(name);
  }
  return names;
}

}  // namespace vantorel_test
