#pragma once

// Whether two paths lead to one file, so that a program can refuse to use
// one file in two roles.

#include <string>

namespace files {

// Whether `a` and `b` are one file: after following links, for files that
// exist the same device and file number (so hard links and different
// spellings are caught); for files that do not, the same absolute path once
// "." and ".." and links in the folders are resolved.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace files
