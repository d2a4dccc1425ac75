// The Windows half of the file helpers (Files.h); the common part is
// Files.cpp. Paths are UTF-8, as everywhere, turned into UTF-16 (Utf16.h)
// only to call the wide API.

#include "files/Files.h"

#include <algorithm>
#include <utility>

#include "SystemFiles.h"
#include "files/SystemError.h"
#include "files/Utf16.h"

namespace files {

using internal::kTemporaryAttempts;
using internal::RemoveFile;
using internal::TemporaryName;

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

// Remembered before it is made, so that no interruption falls between the
// making and the remembering.
HANDLE CreateTemporary(const std::string& target, std::string* name) {
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    *name = TemporaryName(target, GetCurrentProcessId());
    internal::RememberTemporary(*name);
    const HANDLE handle = CreateFileW(Widen(*name).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return handle;
    internal::ForgetTemporary(*name);  // which leaves the last error as it is
    if (GetLastError() != ERROR_FILE_EXISTS) return handle;
  }
  return INVALID_HANDLE_VALUE;
}

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

// Whether a new file may be made beside `target`. Access rights decide,
// which only a try shows: a file is made there and removed.
Status CheckFolder(const std::string& target) {
  std::string name;
  const HANDLE handle = CreateTemporary(target, &name);
  if (handle == INVALID_HANDLE_VALUE) {
    return Status::Error("cannot create a file beside it: " + LastSystemError());
  }
  CloseHandle(handle);
  RemoveFile(name);
  return Status::Ok();
}

}  // namespace

namespace internal {

void RemoveFile(const std::string& path) {
  DeleteFileW(Widen(path).c_str());
  ForgetTemporary(path);
}

// ReplaceFileW keeps the old file's attributes and access rights; a new
// file is moved into place; a folder is never replaced. Tries again, a few
// times and for about two seconds in all, while the file is busy.
Status MoveIntoPlace(const std::string& temporary, const std::string& target) {
  const std::wstring from = Widen(temporary);
  const std::wstring to = Widen(target);
  for (int attempt = 1;; ++attempt) {
    const DWORD attributes = GetFileAttributesW(to.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return Status::Error("a folder, not a regular file");
    }
    const bool moved =
        exists ? ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                              nullptr, nullptr)
               : MoveFileExW(from.c_str(), to.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (moved) return Status::Ok();
    const DWORD code = GetLastError();
    if (attempt == 20 || !Busy(code)) return Status::Error(LastSystemError());
    Sleep(10 * attempt);
  }
}

Status WriteTemporary(const std::string& target, const std::string& content,
                      std::string* temporary) {
  std::string name;
  const HANDLE handle = CreateTemporary(target, &name);
  if (handle == INVALID_HANDLE_VALUE) {
    return Status::Error("cannot create a file beside it: " + LastSystemError());
  }
  const bool written = WriteAll(handle, content) && FlushFileBuffers(handle);
  const std::string why = written ? std::string() : name + ": " + LastSystemError();
  CloseHandle(handle);
  if (!written) {
    RemoveFile(name);
    return Status::Error(why);
  }
  // Moved, never copied: a copy could run out of memory with the file
  // made and nobody left to remove it.
  *temporary = std::move(name);
  return Status::Ok();
}

}  // namespace internal

Status FollowLinks(const std::string& path, std::string* target) {
  *target = path;
  const HANDLE handle = OpenExisting(path, 0);
  // Nothing there, or nothing that opens: CheckReplaceable says which.
  if (handle == INVALID_HANDLE_VALUE) return Status::Ok();
  std::wstring final(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(handle, final.data(), MAX_PATH, FILE_NAME_NORMALIZED);
  if (length >= MAX_PATH) {
    final.resize(length);
    length = GetFinalPathNameByHandleW(handle, final.data(), length, FILE_NAME_NORMALIZED);
  }
  CloseHandle(handle);
  // A device has no final path: it stays as named, for CheckReplaceable.
  if (length > 0 && length < final.size()) *target = Narrow(final.substr(0, length));
  return Status::Ok();
}

Status CheckReplaceable(const std::string& target) {
  const HANDLE handle = OpenExisting(target, 0);
  if (handle == INVALID_HANDLE_VALUE) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return Status::Error(LastSystemError());
    return CheckFolder(target);
  }
  std::string why = NotRegular(handle);
  BY_HANDLE_FILE_INFORMATION info{};
  if (why.empty() && GetFileInformationByHandle(handle, &info) &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
    why = "the file is read-only";
  }
  CloseHandle(handle);
  return why.empty() ? CheckFolder(target) : Status::Error(why);
}

Status ReadRegularFile(const std::string& path, std::optional<std::string>* text) {
  text->reset();
  // Shared for deletion too, so that a save replacing the file meanwhile
  // does not wait on this reader where the system lets it go ahead.
  const HANDLE handle = OpenExisting(path, GENERIC_READ);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return Status::Ok();
    return Status::Error(LastSystemError());
  }
  std::string why = NotRegular(handle);
  std::string read;
  char buffer[65536];
  DWORD count = 0;
  while (why.empty()) {
    if (!ReadFile(handle, buffer, sizeof buffer, &count, nullptr)) {
      why = LastSystemError();
    } else if (count == 0) {
      break;
    } else {
      read.append(buffer, count);
    }
  }
  CloseHandle(handle);
  if (!why.empty()) return Status::Error(why);
  *text = std::move(read);
  return Status::Ok();
}

}  // namespace files
