#pragma once

// Files by UTF-8 path, the same on Windows as elsewhere: the one set of file
// helpers the host library and vantorel-sim share. Paths and texts are UTF-8
// throughout; only these functions meet the wide Windows API.

#include <cstdio>
#include <string>

#include "HostExport.h"

namespace simhost {

#ifdef _WIN32
// `text` (UTF-8) as UTF-16, for the wide Windows API.
HOST_API std::wstring Widen(const std::string& text);
// `text` (UTF-16, from the wide Windows API) as UTF-8.
HOST_API std::string Narrow(const std::wstring& text);
#endif

// std::fopen with a UTF-8 path. Null with errno set on failure.
HOST_API std::FILE* OpenFile(const std::string& path, const char* mode);

// Reads the rest of `file` as bytes into `text`. False, with `error` set to
// the system's message, on a read error.
HOST_API bool ReadAll(std::FILE* file, std::string* text, std::string* error);

// Flushes `file` to the disk as far as the platform allows; false on failure.
HOST_API bool FlushToDisk(std::FILE* file);

// Renames `from` to `to`, replacing `to` in one step: `to` is either the old
// file or the new one, never missing or half written. False, with `error`
// set, on failure.
HOST_API bool RenameReplacing(const std::string& from, const std::string& to,
                              std::string* error);

// Removes a file; failure is ignored.
HOST_API void RemoveFile(const std::string& path);

}  // namespace simhost
