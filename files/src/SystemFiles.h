#pragma once

// What the common parts of the file helpers and the lock (Files.cpp,
// FileLock.cpp) ask of each system's half (Files_posix.cpp,
// Files_windows.cpp, ...), and what they give them. Internal to the file
// library.

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

// Removes the file at `path`, and forgets it as a temporary file.
void RemoveFile(const std::string& path);

// The files this module has written beside their targets and not yet put
// in place or removed (Temporaries.cpp): remembered before each is made,
// forgotten once it is put in place or removed, and removed, by `remove`,
// by the interruption handler (Interruption_*.cpp), which may call
// RemoveRememberedTemporaries at any point of the others.
void RememberTemporary(const std::string& path);
void ForgetTemporary(const std::string& path);
void RemoveRememberedTemporaries(void (*remove)(const char* path));

// FileLock's refusal of the lock file at `path`, which `problem` describes
// ("is a folder, not a regular file"), and what the user can do about it:
// remove it, or, when this user cannot open it, ask the owner who can.
enum class LockRemedy { kRemove, kRemoveOrAskTheOwner };
Status UnusableLock(const std::string& path, const std::string& problem, LockRemedy remedy);

#ifndef _WIN32
// What a file of `mode` is, when not a regular file: "a FIFO, not a
// regular file".
std::string NotRegular(unsigned mode);
#endif

}  // namespace internal
}  // namespace files
