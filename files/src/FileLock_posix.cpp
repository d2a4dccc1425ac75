// The POSIX half of FileLock: flock on a lock file its holder removes.

#include "files/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "SystemFiles.h"

namespace files {

namespace {

using internal::LockRemedy;
using internal::UnusableLock;

// Never through a link, and never waiting on a FIFO put in its place.
constexpr int kOpenFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens the lock file at `path`, making it when missing. One this run
// makes is readable and writable by all, whatever the umask: a run killed
// before it removes the file leaves it to the next user of the
// configuration, who must be able to open it.
int OpenLockFile(const std::string& path) {
  for (;;) {
    int fd = open(path.c_str(), kOpenFlags);
    if (fd >= 0 || errno != ENOENT) return fd;
    fd = open(path.c_str(), kOpenFlags | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
      if (fchmod(fd, 0666) != 0) {
        // A file system without permission bits: nothing to widen.
      }
      return fd;
    }
    // Made by another run between the two opens: open that one.
    if (errno != EEXIST) return fd;
  }
}

// Takes the exclusive lock on `fd`. When another holds it, tells `onWait`
// (once: `told` remembers) and waits, through interrupting signals.
bool LockExclusive(int fd, const WaitNotice& onWait, bool* told) {
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
  if (errno != EWOULDBLOCK) return false;  // GCOVR_EXCL_LINE: a file system without locks
  if (!*told && onWait) onWait();
  *told = true;
  int locked;
  while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
  }
  return locked == 0;
}

}  // namespace

Status FileLock::Check(const std::string& path) {
  struct stat info;
  int fd = -1;
  if (lstat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return Status::Ok();  // made when first taken
  } else if (S_ISLNK(info.st_mode)) {
    return UnusableLock(path, "is a symbolic link, which a lock never follows",
                        LockRemedy::kRemove);
  } else if (!S_ISREG(info.st_mode)) {
    return UnusableLock(path, "is " + internal::NotRegular(info.st_mode), LockRemedy::kRemove);
  } else if ((fd = open(path.c_str(), kOpenFlags)) >= 0) {
    // Opened as Acquire opens it: a file left by another user's run that
    // this user may not read would stop every save of the file.
    close(fd);
    return Status::Ok();
  }
  const std::string why = std::strerror(errno);
  return UnusableLock(path, "cannot be opened by this user (" + why + ")",
                      LockRemedy::kRemoveOrAskTheOwner);
}

Status FileLock::Acquire(const std::string& path, const WaitNotice& onWait) {
  // Copied before the lock is taken: once it is held, running out of memory
  // must not leave it held with nobody to let it go.
  std::string name = path;
  bool told = false;
  for (;;) {
    const int fd = OpenLockFile(path);
    struct stat held {};
    if (fd < 0 || fstat(fd, &held) != 0 || !S_ISREG(held.st_mode) ||
        !LockExclusive(fd, onWait, &told)) {
      const std::string reason =
          fd >= 0 && !S_ISREG(held.st_mode) ? "not a regular file" : std::strerror(errno);
      if (fd >= 0) close(fd);
      // What stands there and what to do, when Check can tell.
      const Status described = Check(path);
      return described.ok() ? Status::Error(path + ": " + reason) : described;
    }
    struct stat named;
    if (lstat(path.c_str(), &named) == 0 && SameFile(named, held)) {
      path_ = std::move(name);
      held_ = fd;
      return Status::Ok();
    }
    // The run before us removed the file when it was done: lock the one
    // that stands at the path now.
    close(fd);
  }
}

FileLock::~FileLock() {
  if (held_ == kNotHeld) return;
  const int fd = static_cast<int>(held_);
  // Removed while still held, so that no run locks it after us and then
  // works alongside one that locked a new file.
  struct stat held;
  if (fstat(fd, &held) == 0 && held.st_size == 0) unlink(path_.c_str());
  close(fd);
}

}  // namespace files
