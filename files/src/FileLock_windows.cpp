// The Windows half of FileLock: LockFileEx on a lock file that stays.

#include "files/FileLock.h"

#include <string>
#include <utility>

#include "SystemFiles.h"
#include "files/SystemError.h"
#include "files/Utf16.h"

namespace files {

namespace {

using internal::LockRemedy;
using internal::UnusableLock;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE OpenLockFile(const std::string& path, DWORD disposition) {
  return CreateFileW(Widen(path).c_str(), GENERIC_READ, kShareAll, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Takes the exclusive lock on the first byte of `handle`'s file. When
// another holds it, tells `onWait` and waits.
bool LockExclusive(HANDLE handle, const WaitNotice& onWait) {
  OVERLAPPED first{};
  if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &first)) {
    return true;
  }
  if (GetLastError() != ERROR_LOCK_VIOLATION) return false;
  if (onWait) onWait();
  first = OVERLAPPED{};
  return LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &first);
}

}  // namespace

Status FileLock::Check(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND) {
    return Status::Ok();  // made when first taken
  }
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return UnusableLock(path, "is a symbolic link, which a lock never follows",
                        LockRemedy::kRemove);
  }
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return UnusableLock(path, "is a folder, not a regular file", LockRemedy::kRemove);
  }
  const HANDLE handle = OpenLockFile(path, OPEN_EXISTING);
  if (handle == INVALID_HANDLE_VALUE) {
    return UnusableLock(path, "cannot be opened by this user (" + LastSystemError() + ")",
                        LockRemedy::kRemoveOrAskTheOwner);
  }
  const bool disk = GetFileType(handle) == FILE_TYPE_DISK;
  CloseHandle(handle);
  if (disk) return Status::Ok();
  return UnusableLock(path, "is a device, not a regular file", LockRemedy::kRemove);
}

Status FileLock::Acquire(const std::string& path, const WaitNotice& onWait) {
  // Copied before the lock is taken: once it is held, running out of memory
  // must not leave it held with nobody to let it go.
  std::string name = path;
  const HANDLE handle = OpenLockFile(path, OPEN_ALWAYS);
  if (handle == INVALID_HANDLE_VALUE || !LockExclusive(handle, onWait)) {
    const std::string reason = LastSystemError();
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    // What stands there and what to do, when Check can tell.
    const Status described = Check(path);
    return described.ok() ? Status::Error(path + ": " + reason) : described;
  }
  path_ = std::move(name);
  held_ = reinterpret_cast<std::intptr_t>(handle);
  return Status::Ok();
}

FileLock::~FileLock() {
  if (held_ == kNotHeld) return;
  const auto handle = reinterpret_cast<HANDLE>(held_);
  OVERLAPPED first{};
  UnlockFileEx(handle, 0, 1, 0, &first);
  CloseHandle(handle);
}

}  // namespace files
