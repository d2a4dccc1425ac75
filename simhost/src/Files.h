#pragma once

// File access by UTF-8 path, the same on Windows as elsewhere. Internal to
// the host library.

#include <cstdio>
#include <string>

namespace simhost {

#ifdef _WIN32
// `text` (UTF-8) as UTF-16, for the wide Windows API.
std::wstring Widen(const std::string& text);
// The text of the calling thread's last Windows error.
std::string LastSystemError();
#endif

// std::fopen with a UTF-8 path.
std::FILE* OpenFile(const std::string& path, const char* mode);

// Flushes `file` to the disk as far as the platform allows; false on failure.
bool FlushToDisk(std::FILE* file);

// Replaces `to` with `from` in one step: `to` is either the old file or the
// new one, never missing or half written. False, with `error` set, on failure.
bool ReplaceFile(const std::string& from, const std::string& to, std::string* error);

// Removes a file; failure is ignored.
void RemoveFile(const std::string& path);

}  // namespace simhost
