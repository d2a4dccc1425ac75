#pragma once

// The lock that makes saves of one file by several runs take turns.

#include <cstdint>
#include <functional>
#include <string>

#include "files/Status.h"

namespace files {

// Called once when a lock is held by another run, before waiting for it,
// so that a program can tell its user why it stands still. The library
// itself prints nothing.
using WaitNotice = std::function<void()>;

// An exclusive lock on a lock file, held from Acquire until the FileLock
// goes: a second FileLock of the same path, in this process or another,
// waits in Acquire until the first lets go. The system's own file locks
// (flock, LockFileEx) end with the process that holds them, however it
// ends, so a crashed run never leaves a lock that blocks the next one.
//
// The lock file is made when missing, readable and writable by every user
// whatever the umask (POSIX), so that one user's run never makes a lock
// file that another user of the same file cannot open. On POSIX systems the
// holder removes it before letting go, so that no file stays behind;
// whoever was waiting on the removed file finds that the path no longer
// names it and locks the file that stands there now. A file of that name
// that is not empty was not made by a lock and is never removed. Windows
// keeps the lock file: it cannot take a name away from a file that another
// run holds open.
class FileLock {
 public:
  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Whether a lock could be taken at `path`: nothing there yet, or a
  // regular file this user can open. Otherwise a failure that names the
  // lock file, says what is wrong (a folder, a FIFO, a symbolic link, a file
  // this user cannot open) and what to do. Takes no lock and makes nothing,
  // so that a program can ask before it starts its work.
  static Status Check(const std::string& path);

  // Waits until the lock at `path` is this one's, telling `onWait` (when
  // set) first if another holds it. Fails as Check fails when the lock file
  // cannot be used, or naming `path` when it cannot be made or locked.
  Status Acquire(const std::string& path, const WaitNotice& onWait = WaitNotice());

 private:
  // What the system knows the held lock file by, a descriptor (POSIX) or a
  // HANDLE (Windows); kNotHeld, a value neither system gives, until then.
  static constexpr std::intptr_t kNotHeld = -1;

  std::string path_;
  std::intptr_t held_ = kNotHeld;
};

}  // namespace files
