#pragma once

// The lock that makes saves of one file by several runs take turns.

#include <cstdint>
#include <string>

#include "files/Status.h"

namespace files {

// An exclusive lock on a lock file, held from Acquire until the FileLock
// goes: a second FileLock of the same path, in this process or another,
// waits in Acquire until the first lets go. The system's own file locks
// (flock, LockFileEx) end with the process that holds them, however it
// ends, so a crashed run never leaves a lock that blocks the next one.
//
// The lock file is made when missing. On POSIX systems the holder removes
// it before letting go, so that no file stays behind; whoever was waiting
// on the removed file finds that the path no longer names it and locks the
// file that stands there now. A file of that name that is not empty was
// not made by a lock and is never removed. Windows keeps the lock file: it
// cannot take a name away from a file that another run holds open.
class FileLock {
 public:
  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Waits until the lock at `path` is this one's. Fails, naming `path`,
  // when the lock file cannot be made or opened.
  Status Acquire(const std::string& path);

 private:
  // What the system knows the held lock file by, a descriptor (POSIX) or a
  // HANDLE (Windows); kNotHeld, a value neither system gives, until then.
  static constexpr std::intptr_t kNotHeld = -1;

  std::string path_;
  std::intptr_t held_ = kNotHeld;
};

}  // namespace files
