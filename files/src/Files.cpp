#include "files/Files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#ifdef _WIN32
#  include "SystemError.h"
#else
#  include <fcntl.h>
#  include <sys/stat.h>
#  include <unistd.h>
#endif

namespace files {

namespace {

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

// A name beside `target` that no other save uses at the same time: the
// process's id and a count of its own. A file a dead process left under the
// same name is no obstacle: the caller creates exclusively and asks again.
std::string TemporaryName(const std::string& target, unsigned long process) {
  static std::atomic<unsigned> count{0};
  return target + ".tmp." + std::to_string(process) + "." + std::to_string(count++);
}

// How many names CreateTemporary tries before it gives up.
constexpr int kTemporaryAttempts = 100;

}  // namespace

#ifdef _WIN32

std::wstring Widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                      length);
  return wide;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                      length, nullptr, nullptr);
  return narrow;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return _wfopen(Widen(path).c_str(), Widen(mode).c_str());
}

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens whatever stands at `path`, following links, folders included.
HANDLE OpenExisting(const std::string& path, DWORD access) {
  return CreateFileW(Widen(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Why the open `handle` is no regular file; empty when it is one.
std::string NotRegular(HANDLE handle) {
  const DWORD type = GetFileType(handle);
  if (type == FILE_TYPE_CHAR) return "a device, not a regular file";
  if (type == FILE_TYPE_PIPE) return "a pipe, not a regular file";
  BY_HANDLE_FILE_INFORMATION info{};
  if (type != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info)) {
    return "not a regular file";
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return "a folder, not a regular file";
  return std::string();
}

HANDLE CreateTemporary(const std::string& target, std::string* name) {
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    *name = TemporaryName(target, GetCurrentProcessId());
    const HANDLE handle = CreateFileW(Widen(*name).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return handle;
  }
  return INVALID_HANDLE_VALUE;
}

void RemoveFile(const std::string& path) { DeleteFileW(Widen(path).c_str()); }

bool WriteAll(HANDLE handle, const std::string& content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1 << 20));
    DWORD written = 0;
    if (!WriteFile(handle, content.data() + done, chunk, &written, nullptr)) return false;
    done += written;
  }
  return true;
}

// Whether a replace failed only because another program has the file open
// for a moment (an editor reading it, a virus scanner): worth another try.
bool Busy(DWORD code) {
  return code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED ||
         code == ERROR_LOCK_VIOLATION || code == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Puts `temporary` in the place of `target`. ReplaceFileW keeps the old
// file's attributes and access rights; a new file is moved into place; a
// folder is never replaced. Tries again, a few times and for about two
// seconds in all, while the file is busy.
bool MoveIntoPlace(const std::string& temporary, const std::string& target,
                   std::string* error) {
  const std::wstring from = Widen(temporary);
  const std::wstring to = Widen(target);
  for (int attempt = 1;; ++attempt) {
    const DWORD attributes = GetFileAttributesW(to.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return Fail(error, "a folder, not a regular file");
    }
    const bool moved =
        exists ? ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                              nullptr, nullptr)
               : MoveFileExW(from.c_str(), to.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (moved) return true;
    const DWORD code = GetLastError();
    if (attempt == 20 || !Busy(code)) return Fail(error, LastSystemError());
    Sleep(10 * attempt);
  }
}

// Writes `content` to a new file beside `target` and flushes it to the
// disk: its name in `temporary`. Leaves nothing behind when it fails.
bool WriteTemporary(const std::string& target, const std::string& content,
                    std::string* temporary, std::string* error) {
  std::string name;
  const HANDLE handle = CreateTemporary(target, &name);
  if (handle == INVALID_HANDLE_VALUE) {
    return Fail(error, "cannot create a file beside it: " + LastSystemError());
  }
  const bool written = WriteAll(handle, content) && FlushFileBuffers(handle);
  const std::string why = written ? std::string() : name + ": " + LastSystemError();
  CloseHandle(handle);
  if (!written) {
    RemoveFile(name);
    return Fail(error, why);
  }
  *temporary = name;
  return true;
}

// Whether a new file may be made beside `target`. Access rights decide,
// which only a try shows: a file is made there and removed.
bool CheckFolder(const std::string& target, std::string* problem) {
  std::string name;
  const HANDLE handle = CreateTemporary(target, &name);
  if (handle == INVALID_HANDLE_VALUE) {
    return Fail(problem, "cannot create a file beside it: " + LastSystemError());
  }
  CloseHandle(handle);
  RemoveFile(name);
  return true;
}

}  // namespace

bool FollowLinks(const std::string& path, std::string* target, std::string* /*error*/) {
  *target = path;
  const HANDLE handle = OpenExisting(path, 0);
  // Nothing there, or nothing that opens: CheckReplaceable says which.
  if (handle == INVALID_HANDLE_VALUE) return true;
  std::wstring final(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(handle, final.data(), MAX_PATH, FILE_NAME_NORMALIZED);
  if (length >= MAX_PATH) {
    final.resize(length);
    length = GetFinalPathNameByHandleW(handle, final.data(), length, FILE_NAME_NORMALIZED);
  }
  CloseHandle(handle);
  // A device has no final path: it stays as named, for CheckReplaceable.
  if (length > 0 && length < final.size()) *target = Narrow(final.substr(0, length));
  return true;
}

bool CheckReplaceable(const std::string& target, std::string* problem) {
  const HANDLE handle = OpenExisting(target, 0);
  if (handle == INVALID_HANDLE_VALUE) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return Fail(problem, LastSystemError());
    return CheckFolder(target, problem);
  }
  std::string why = NotRegular(handle);
  BY_HANDLE_FILE_INFORMATION info{};
  if (why.empty() && GetFileInformationByHandle(handle, &info) &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
    why = "the file is read-only";
  }
  CloseHandle(handle);
  return why.empty() ? CheckFolder(target, problem) : Fail(problem, why);
}

ReadOutcome ReadRegularFile(const std::string& path, std::string* text, std::string* error) {
  // Shared for deletion too, so that a save replacing the file meanwhile
  // does not wait on this reader where the system lets it go ahead.
  const HANDLE handle = OpenExisting(path, GENERIC_READ);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return ReadOutcome::kMissing;
    Fail(error, LastSystemError());
    return ReadOutcome::kFailed;
  }
  std::string why = NotRegular(handle);
  text->clear();
  char buffer[65536];
  DWORD count = 0;
  while (why.empty()) {
    if (!ReadFile(handle, buffer, sizeof buffer, &count, nullptr)) {
      why = LastSystemError();
    } else if (count == 0) {
      break;
    } else {
      text->append(buffer, count);
    }
  }
  CloseHandle(handle);
  if (why.empty()) return ReadOutcome::kRead;
  Fail(error, why);
  return ReadOutcome::kFailed;
}

#else

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

namespace {

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

// What a file of `mode` is, when not a regular file.
std::string NotRegular(mode_t mode) {
  const char* kind = S_ISDIR(mode)    ? "a folder"
                     : S_ISFIFO(mode) ? "a FIFO"
                     : S_ISCHR(mode)  ? "a character device"
                     : S_ISBLK(mode)  ? "a block device"
                     : S_ISSOCK(mode) ? "a socket"
                                      : "something else";
  return std::string(kind) + ", not a regular file";
}

// Whether a new file may be made in the folder of `target`.
bool CheckFolder(const std::string& target, std::string* problem) {
  std::string folder = FolderOf(target);
  if (folder.empty()) folder = ".";
  struct stat info;
  if (stat(folder.c_str(), &info) != 0 || access(folder.c_str(), W_OK | X_OK) != 0) {
    return Fail(problem, "its folder " + folder + ": " + std::strerror(errno));
  }
  return true;
}

int CreateTemporary(const std::string& target, mode_t mode, std::string* name) {
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    *name = TemporaryName(target, static_cast<unsigned long>(getpid()));
    const int fd = open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

void RemoveFile(const std::string& path) { unlink(path.c_str()); }

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

// Writes `content` to a new file beside `target`, with the old file's owner
// and bits, and flushes it to the disk: its name in `temporary`. Leaves
// nothing behind when it fails.
bool WriteTemporary(const std::string& target, const std::string& content,
                    std::string* temporary, std::string* error) {
  struct stat old;
  const bool replacing = stat(target.c_str(), &old) == 0;
  // Readable by its owner alone until it has the old file's bits; a new
  // file gets what the user's umask gives.
  std::string name;
  const int fd = CreateTemporary(target, replacing ? 0600 : 0666, &name);
  if (fd < 0) {
    return Fail(error, "cannot create a file beside it: " + std::string(std::strerror(errno)));
  }
  bool ok = WriteAll(fd, content) && (!replacing || TakeOwnerAndMode(fd, old)) && fsync(fd) == 0;
  int failure = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    failure = errno;
  }
  if (!ok) {
    RemoveFile(name);
    return Fail(error, name + ": " + std::strerror(failure));
  }
  *temporary = name;
  return true;
}

// Renames `temporary` over `target` in one step, and makes that last.
bool MoveIntoPlace(const std::string& temporary, const std::string& target,
                   std::string* error) {
  if (rename(temporary.c_str(), target.c_str()) != 0) return Fail(error, std::strerror(errno));
  SyncFolder(target);
  return true;
}

}  // namespace

bool FollowLinks(const std::string& path, std::string* target, std::string* error) {
  std::string current = path;
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    struct stat info;
    // Not a link, or nothing there: CheckReplaceable says which.
    if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      *target = current;
      return true;
    }
    std::string link;
    if (!ReadLink(current, &link)) return Fail(error, current + ": " + std::strerror(errno));
    current = !link.empty() && link[0] == '/' ? link : FolderOf(current) + link;
  }
  return Fail(error, std::strerror(ELOOP));
}

bool CheckReplaceable(const std::string& target, std::string* problem) {
  struct stat info;
  if (stat(target.c_str(), &info) != 0) {
    // Nothing there, or no folder to hold it: the folder says which.
    if (errno != ENOENT && errno != ENOTDIR) return Fail(problem, std::strerror(errno));
    return CheckFolder(target, problem);
  }
  if (!S_ISREG(info.st_mode)) return Fail(problem, NotRegular(info.st_mode));
  // A file nobody may write was made read-only on purpose: root, who could
  // write it all the same, leaves it alone too.
  if ((info.st_mode & 0222) == 0) return Fail(problem, "the file is read-only");
  if (access(target.c_str(), W_OK) != 0) return Fail(problem, std::strerror(errno));
  return CheckFolder(target, problem);
}

ReadOutcome ReadRegularFile(const std::string& path, std::string* text, std::string* error) {
  // Looked at first, so that a device is never opened: for some, opening
  // is already an action.
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return ReadOutcome::kMissing;
    Fail(error, std::strerror(errno));
    return ReadOutcome::kFailed;
  }
  if (!S_ISREG(info.st_mode)) {
    Fail(error, NotRegular(info.st_mode));
    return ReadOutcome::kFailed;
  }
  // Without waiting, should a FIFO have taken the file's place meanwhile.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  std::FILE* stream = fd < 0 ? nullptr : fdopen(fd, "rb");
  if (!stream) {
    Fail(error, std::strerror(errno));
    if (fd >= 0) close(fd);
    return ReadOutcome::kFailed;
  }
  const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  const bool read = regular && ReadAll(stream, text, error);
  std::fclose(stream);
  if (!regular) Fail(error, NotRegular(info.st_mode));
  return read ? ReadOutcome::kRead : ReadOutcome::kFailed;
}

#endif

FileReplacement::~FileReplacement() { Discard(); }

void FileReplacement::Discard() {
  if (!temporary_.empty()) RemoveFile(temporary_);
  temporary_.clear();
}

bool FileReplacement::Prepare(const std::string& target, const std::string& content,
                              std::string* error) {
  Discard();
  target_ = target;
  return WriteTemporary(target, content, &temporary_, error);
}

bool FileReplacement::Commit(std::string* error) {
  const bool moved = MoveIntoPlace(temporary_, target_, error);
  if (moved) temporary_.clear();
  Discard();
  return moved;
}

bool ReplaceContents(const std::string& target, const std::string& content, std::string* error) {
  FileReplacement replacement;
  return replacement.Prepare(target, content, error) && replacement.Commit(error);
}

bool ReadAll(std::FILE* file, std::string* text, std::string* error) {
  text->clear();
  char buffer[65536];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, count);
  if (std::ferror(file)) {
    if (error) *error = std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace files
