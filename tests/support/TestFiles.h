#pragma once

#include <string>

namespace vantorel_test {

// Whole files in and out, for tests that prepare or inspect a configuration
// file, and for replaying saved fuzz inputs. Binary: no line endings change.
void WriteFile(const std::string& path, const std::string& content);
// The whole file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

}  // namespace vantorel_test
