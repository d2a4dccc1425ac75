#pragma once

#include <string>
#include <vector>

#include "HostExport.h"

namespace simhost {

// The host's configuration file, which keeps saved console variables between
// runs: its format, parsing and saving. The console decides what goes in;
// this class knows only lines and settings.
//
// Format: one setting per line,
//   NAME "VALUE"
// with `"` and `\` inside VALUE written as `\"` and `\\` (a backslash before
// any other character is itself). Blanks around the line and between NAME
// and the quoted value are allowed; blank lines and lines whose first
// non-blank characters are `#` or `//` are ignored; any other line is a bad
// line. A later line for a name wins over an earlier one.
//
// A ConfigFile is a value that owns a copy of the file's text, kept line by
// line exactly as read, so that a setting can be rewritten in place while
// every other line, comments and bad lines included, stays as it was. Only
// Load and Save touch the disk.
class HOST_API ConfigFile {
 public:
  // One name the file sets, with the value of the last line that sets it.
  struct Setting {
    std::string name;
    std::string value;  // unescaped
    int line = 0;       // that line's number, from 1
  };

  // An empty file.
  ConfigFile() = default;
  // The file whose contents are `text`.
  explicit ConfigFile(const std::string& text);

  // Reads the file at `path` into `file`; a missing file reads as an empty
  // one. False, with `error` set and `file` untouched, when the file exists
  // but cannot be read.
  static bool Load(const std::string& path, ConfigFile* file, std::string* error);

  // Writes text() to `path`, replacing the file whole and atomically: the
  // new text goes to PATH.tmp beside it, is flushed to the disk and renamed
  // over PATH, so that the old file stays until the new one is complete.
  // False, with `error` set, when it cannot; PATH is then as it was and no
  // temporary file is left behind.
  bool Save(const std::string& path, std::string* error) const;

  // One entry per name, in the order the names first appear.
  const std::vector<Setting>& settings() const { return settings_; }
  // The setting of `name`, or null when the file does not set it.
  const Setting* Find(const std::string& name) const;
  // The numbers of the bad lines, in file order.
  const std::vector<int>& badLines() const { return badLines_; }

  // Adds a line setting `name` to `value` at the end of the file.
  void Append(const std::string& name, const std::string& value);

  // The file's contents: the lines read, byte for byte, then those appended.
  std::string text() const;

 private:
  // Records that line number `line` sets `name` to `value`.
  void Take(const std::string& name, const std::string& value, int line);

  // Each line with its line end, if it had one; only the last may lack it.
  std::vector<std::string> lines_;
  std::vector<Setting> settings_;
  std::vector<int> badLines_;
};

}  // namespace simhost
