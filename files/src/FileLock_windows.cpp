// The Windows half of FileLock: LockFileEx on a lock file that stays.

#include "files/FileLock.h"
#include "files/SystemError.h"
#include "files/Utf16.h"

namespace files {

Status FileLock::Acquire(const std::string& path) {
  const HANDLE handle = CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return Status::Error(path + ": " + LastSystemError());
  OVERLAPPED first{};
  if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &first)) {
    Status failed = Status::Error(path + ": " + LastSystemError());
    CloseHandle(handle);
    return failed;
  }
  path_ = path;
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
