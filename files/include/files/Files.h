#pragma once

// Files by UTF-8 path, the same on Windows as elsewhere: the one set of file
// helpers the host library and vantorel-sim share. Paths and texts are UTF-8
// throughout; only this library meets the wide Windows API.

#include <cstdio>
#include <string>

namespace files {

// std::fopen with a UTF-8 path. Null with errno set on failure.
std::FILE* OpenFile(const std::string& path, const char* mode);

// Reads the rest of `file` as bytes into `text`. False, with `error` set to
// the system's message, on a read error.
bool ReadAll(std::FILE* file, std::string* text, std::string* error);

// The file `path` names once the symbolic links at its end are followed, one
// to the next: `path` itself when it is no link, and for a link to nothing
// the path it points to, which a write through the link creates. Windows
// gives the final path of an existing file (GetFinalPathNameByHandleW). False,
// with `error` set, for a loop of links or a link that cannot be read.
bool FollowLinks(const std::string& path, std::string* target, std::string* error);

// Whether a FileReplacement may write `target` (a path FollowLinks gave):
// a regular file that may be written, or nothing yet, in a folder where a
// file may be made. Otherwise false, with `problem` saying why, for instance
// "a FIFO, not a regular file" or "the file is read-only". Looks without
// opening what it finds for reading or writing; on Windows, where only a try
// tells whether the folder takes a new file, it makes one beside the target
// and removes it.
bool CheckReplaceable(const std::string& target, std::string* problem);

enum class ReadOutcome { kRead, kMissing, kFailed };

// Reads the regular file at `path` whole into `text`: kMissing when nothing
// is there; kFailed, with `error` set, when it cannot be read or is not a
// regular file. Never waits on what it finds, a FIFO or a device included.
ReadOutcome ReadRegularFile(const std::string& path, std::string* text,
                            std::string* error);

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
  // and not committed is removed first. False, with `error` set, when it
  // cannot; nothing is then left beside `target`.
  bool Prepare(const std::string& target, const std::string& content, std::string* error);
  // Puts the prepared file in the place of the target, once, after a
  // Prepare that succeeded. False, with `error` set, when it cannot; the
  // target is then as it was and the prepared file is gone.
  bool Commit(std::string* error);

 private:
  void Discard();

  std::string target_;
  std::string temporary_;  // the prepared file; empty when there is none
};

// Replaces the file `target` (a path FollowLinks gave) by one holding
// `content`: a FileReplacement prepared and committed at once. False, with
// `error` set, when it cannot; `target` is then as it was and nothing is
// left beside it.
bool ReplaceContents(const std::string& target, const std::string& content,
                     std::string* error);

}  // namespace files
