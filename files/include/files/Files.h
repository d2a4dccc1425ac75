#pragma once

// Files by UTF-8 path, the same on Windows as elsewhere: the one set of file
// helpers the host library and vantorel-sim share. Paths and texts are UTF-8
// throughout; the Windows halves turn them into UTF-16 (files/Utf16.h) only
// to call the wide Windows API.

#include <cstdio>
#include <optional>
#include <string>

#include "files/Status.h"

namespace files {

// std::fopen with a UTF-8 path. Null with errno set on failure.
std::FILE* OpenFile(const std::string& path, const char* mode);

// Reads the rest of `file` as bytes into `text`. On a read error, the
// system's message.
Status ReadAll(std::FILE* file, std::string* text);

// The file `path` names once the symbolic links at its end are followed, one
// to the next: `path` itself when it is no link, and for a link to nothing
// the path it points to, which a write through the link creates. Windows
// gives the final path of an existing file (GetFinalPathNameByHandleW).
// Fails for a loop of links or a link that cannot be read.
Status FollowLinks(const std::string& path, std::string* target);

// Whether a FileReplacement may write `target` (a path FollowLinks gave):
// a regular file that may be written, or nothing yet, in a folder where a
// file may be made. Otherwise a failure that says why, for instance "a
// FIFO, not a regular file" or "the file is read-only". Looks without
// opening what it finds for reading or writing; on Windows, where only a try
// tells whether the folder takes a new file, it makes one beside the target
// and removes it.
Status CheckReplaceable(const std::string& target);

// The file a replacement of `path` writes, in `target`: FollowLinks, then
// CheckReplaceable, failing as the first of them that fails.
Status ReplaceableTarget(const std::string& path, std::string* target);

// Reads the regular file at `path` whole into `text`; when nothing is
// there, `text` holds nothing and that is no failure. Fails when the file
// cannot be read or is not a regular file. Never waits on what it finds, a
// FIFO or a device included.
Status ReadRegularFile(const std::string& path, std::optional<std::string>* text);

// New contents for one file, put in its place in two steps, so that a run
// can write several files and keep or drop them together. Prepare writes
// the whole content to a new file beside the target, of a name no other run
// uses, gives it the old file's owner (where the system allows) and
// permission bits, and flushes it to the disk; Commit renames it over the
// target in one step, so that the target is always the old file or the new
// one, never missing or half written. (Windows: Commit's ReplaceFileW keeps
// the old file's attributes and access rights.) Owns the new file until
// Commit puts it in place: dropped before, it removes the file.
class FileReplacement {
 public:
  FileReplacement() = default;
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Writes `content` beside `target` (a path FollowLinks gave, which may
  // name no file yet), leaving `target` as it is. A file prepared before
  // and not committed is removed first. When it fails, nothing is left
  // beside `target`.
  Status Prepare(const std::string& target, const std::string& content);
  // Puts the prepared file in the place of the target, once, after a
  // Prepare that succeeded. When it fails, the target is as it was and the
  // prepared file is gone.
  Status Commit();

 private:
  void Discard();

  std::string target_;
  std::string temporary_;  // the prepared file; empty when there is none
};

// Replaces the file `target` (a path FollowLinks gave) by one holding
// `content`: a FileReplacement prepared and committed at once. When it
// fails, `target` is as it was and nothing is left beside it.
Status ReplaceContents(const std::string& target, const std::string& content);

}  // namespace files
