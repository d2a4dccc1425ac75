// The POSIX half of the file helpers (Files.h); the common part is Files.cpp.

#include "files/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "SystemFiles.h"

namespace files {

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

namespace {

using internal::kTemporaryAttempts;
using internal::NotRegular;
using internal::TemporaryName;

// As many links as Linux follows in one path before it gives ELOOP.
constexpr int kMaxLinks = 40;

// The folder part of `path`, with its final slash; "" for a bare name.
std::string FolderOf(const std::string& path) {
  const std::size_t end = path.rfind('/');
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

bool ReadLink(const std::string& path, std::string* link) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = readlink(path.c_str(), buffer.data(), buffer.size());
    if (length < 0) return false;
    if (static_cast<std::size_t>(length) < buffer.size()) {
      link->assign(buffer.data(), static_cast<std::size_t>(length));
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

// Whether a new file may be made in the folder of `target`.
Status CheckFolder(const std::string& target) {
  std::string folder = FolderOf(target);
  if (folder.empty()) folder = ".";
  struct stat info;
  if (stat(folder.c_str(), &info) != 0 || access(folder.c_str(), W_OK | X_OK) != 0) {
    return Status::Error("its folder " + folder + ": " + std::strerror(errno));
  }
  return Status::Ok();
}

// Remembered before it is made, so that no interruption falls between the
// making and the remembering.
int CreateTemporary(const std::string& target, mode_t mode, std::string* name) {
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    *name = TemporaryName(target, static_cast<unsigned long>(getpid()));
    internal::RememberTemporary(*name);
    const int fd = open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) return fd;
    internal::ForgetTemporary(*name);  // which leaves errno as it is
    if (errno != EEXIST) return fd;
  }
  return -1;
}

bool WriteAll(int fd, const std::string& content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t written = write(fd, content.data() + done, content.size() - done);
    if (written < 0 && errno != EINTR) return false;
    if (written > 0) done += static_cast<std::size_t>(written);
  }
  return true;
}

// Gives the new file the old one's owner, where the system allows (root
// may; others keep their own, as for any file they make), then its bits.
bool TakeOwnerAndMode(int fd, const struct stat& old) {
  if (fchown(fd, old.st_uid, old.st_gid) != 0) {
    // Not ours to give: the file is the saving user's, as any file they make.
  }
  return fchmod(fd, old.st_mode & 07777) == 0;
}

// Makes the rename itself last: after a crash the folder names the new file.
void SyncFolder(const std::string& target) {
  std::string folder = FolderOf(target);
  if (folder.empty()) folder = ".";
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

namespace internal {

std::string NotRegular(unsigned mode) {
  const char* kind = S_ISDIR(mode)    ? "a folder"
                     : S_ISFIFO(mode) ? "a FIFO"
                     : S_ISCHR(mode)  ? "a character device"
                     : S_ISBLK(mode)  ? "a block device"
                     : S_ISSOCK(mode) ? "a socket"
                                      : "something else";
  return std::string(kind) + ", not a regular file";
}

void RemoveFile(const std::string& path) {
  unlink(path.c_str());
  ForgetTemporary(path);
}

// The new file has the old file's owner and bits.
Status WriteTemporary(const std::string& target, const std::string& content,
                      std::string* temporary) {
  struct stat old;
  const bool replacing = stat(target.c_str(), &old) == 0;
  // Readable by its owner alone until it has the old file's bits; a new
  // file gets what the user's umask gives.
  std::string name;
  const int fd = CreateTemporary(target, replacing ? 0600 : 0666, &name);
  if (fd < 0) {
    return Status::Error("cannot create a file beside it: " + std::string(std::strerror(errno)));
  }
  bool ok = WriteAll(fd, content) && (!replacing || TakeOwnerAndMode(fd, old)) && fsync(fd) == 0;
  int failure = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    failure = errno;
  }
  if (!ok) {
    RemoveFile(name);
    return Status::Error(name + ": " + std::strerror(failure));
  }
  // Moved, never copied: a copy could run out of memory with the file
  // made and nobody left to remove it.
  *temporary = std::move(name);
  return Status::Ok();
}

// A rename, made to last.
Status MoveIntoPlace(const std::string& temporary, const std::string& target) {
  if (rename(temporary.c_str(), target.c_str()) != 0) return Status::Error(std::strerror(errno));
  SyncFolder(target);
  return Status::Ok();
}

}  // namespace internal

Status FollowLinks(const std::string& path, std::string* target) {
  std::string current = path;
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    struct stat info;
    // Not a link, or nothing there: CheckReplaceable says which.
    if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      *target = current;
      return Status::Ok();
    }
    std::string link;
    if (!ReadLink(current, &link)) return Status::Error(current + ": " + std::strerror(errno));
    current = !link.empty() && link[0] == '/' ? link : FolderOf(current) + link;
  }
  return Status::Error(std::strerror(ELOOP));
}

Status CheckReplaceable(const std::string& target) {
  struct stat info;
  if (stat(target.c_str(), &info) != 0) {
    // Nothing there, or no folder to hold it: the folder says which.
    if (errno != ENOENT && errno != ENOTDIR) return Status::Error(std::strerror(errno));
    return CheckFolder(target);
  }
  if (!S_ISREG(info.st_mode)) return Status::Error(NotRegular(info.st_mode));
  // A file nobody may write was made read-only on purpose: root, who could
  // write it all the same, leaves it alone too.
  if ((info.st_mode & 0222) == 0) return Status::Error("the file is read-only");
  if (access(target.c_str(), W_OK) != 0) return Status::Error(std::strerror(errno));
  return CheckFolder(target);
}

Status ReadRegularFile(const std::string& path, std::optional<std::string>* text) {
  text->reset();
  // Looked at first, so that a device is never opened: for some, opening
  // is already an action.
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    return errno == ENOENT ? Status::Ok() : Status::Error(std::strerror(errno));
  }
  if (!S_ISREG(info.st_mode)) return Status::Error(NotRegular(info.st_mode));
  // Without waiting, should a FIFO have taken the file's place meanwhile.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  std::FILE* stream = fd < 0 ? nullptr : fdopen(fd, "rb");
  if (!stream) {
    Status failed = Status::Error(std::strerror(errno));
    if (fd >= 0) close(fd);
    return failed;
  }
  std::string read;
  Status status = fstat(fd, &info) == 0 && S_ISREG(info.st_mode)
                      ? ReadAll(stream, &read)
                      : Status::Error(NotRegular(info.st_mode));
  std::fclose(stream);
  if (status.ok()) *text = std::move(read);
  return status;
}

}  // namespace files
