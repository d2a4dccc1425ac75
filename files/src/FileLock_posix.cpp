// The POSIX half of FileLock: flock on a lock file its holder removes.

#include "files/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace files {

namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Waits for the exclusive lock on `fd`, through interrupting signals.
bool LockExclusive(int fd) {
  int locked;
  while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
  }
  return locked == 0;
}

}  // namespace

Status FileLock::Acquire(const std::string& path) {
  const auto fail = [&](const std::string& why) { return Status::Error(path + ": " + why); };
  for (;;) {
    // Never through a link, and never waiting on a FIFO put in its place.
    const int fd =
        open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) return fail(std::strerror(errno));
    struct stat held;
    std::string problem;
    if (fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
      problem = "not a regular file";
    } else if (!LockExclusive(fd)) {
      // Only a file system without locks, or a kernel out of lock memory.
      problem = std::strerror(errno);
    }
    if (!problem.empty()) {
      close(fd);
      return fail(problem);
    }
    struct stat named;
    if (lstat(path.c_str(), &named) == 0 && SameFile(named, held)) {
      path_ = path;
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
