#pragma once

// What the common part of the file helpers (Files.cpp) asks of each
// system's half (Files_posix.cpp, Files_windows.cpp), and what it gives
// them. Internal to the file library.

#include <string>

#include "files/Status.h"

namespace files {
namespace internal {

// A name beside `target` that no other save uses at the same time: the
// process's id and a count of its own. A file a dead process left under the
// same name is no obstacle: the caller creates exclusively and asks again.
std::string TemporaryName(const std::string& target, unsigned long process);

// How many names a system's half tries for a new file before it gives up.
constexpr int kTemporaryAttempts = 100;

// Writes `content` to a new file beside `target` and flushes it to the
// disk: its name in `temporary`. Leaves nothing behind when it fails.
Status WriteTemporary(const std::string& target, const std::string& content,
                      std::string* temporary);

// Puts `temporary` in the place of `target` in one step.
Status MoveIntoPlace(const std::string& temporary, const std::string& target);

void RemoveFile(const std::string& path);

}  // namespace internal
}  // namespace files
