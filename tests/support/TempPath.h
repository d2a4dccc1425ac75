#pragma once

#include <string>

namespace vantorel_test {

// The folder every test program writes its files to, made when the build is
// configured.
const char* TempDir();

// A path in TempDir() that belongs to the running GoogleTest test alone:
// "SUITE.NAME.leaf", the slashes of parameterised names turned into
// underscores. Tests that run side by side never share a file.
std::string TempPath(const std::string& leaf);

}  // namespace vantorel_test
