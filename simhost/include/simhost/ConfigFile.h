#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "HostExport.h"
#include "files/FileLock.h"
#include "files/Status.h"

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
// The file is UTF-8 text. A UTF-8 byte-order mark at its start, as Windows
// editors write one, is skipped when reading and kept when saving. A file
// that begins with a UTF-16 or UTF-32 mark is refused (by Load, CheckPath
// and Update alike), with a message naming its encoding, and never written.
//
// A ConfigFile is a value that owns a copy of the file's text, kept line by
// line exactly as read, so that a setting can be rewritten in place while
// every other line, comments and bad lines included, stays as it was. Only
// Load, Update and CheckPath (and a ConfigUpdate, below) touch the disk.
//
// The file is the user's, and other runs may save it at the same time: an
// update edits it in place under a lock, through a symbolic link the link's
// target, keeping the file's permissions and every line it does not change.
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
  // one. Fails, leaving `file` untouched, when the file exists but cannot be
  // read or is no regular file. Never waits on a FIFO.
  static files::Status Load(const std::string& path, ConfigFile* file);

  // Whether a file at `path` may be read and then saved: nothing there yet
  // (in a folder that exists), or a regular UTF-8 file that is not
  // read-only, links followed, whose lock file (files/FileLock.h, Check) can
  // be used. Otherwise a failure saying what stands there. Reads the file
  // and writes nothing, so a program can ask before it starts its work.
  static files::Status CheckPath(const std::string& path);

  // Changes the file at `path` by `edit`, taking turns with every other
  // update of the same file: under a lock (PATH.lock beside the file the
  // links lead to; `onWait`, when set, is told if it must wait for another
  // run's) it reads the file as it is now, lets `edit` change it, and, if
  // the text changed, replaces the file in one step (files/Files.h,
  // ReplaceContents), so that a reader finds the old file or the new one,
  // whole. Through links it is their target that changes. When it fails
  // (CheckPath's refusals included), the file is as it was. A ConfigUpdate
  // does the same in two steps.
  static files::Status Update(const std::string& path,
                              const std::function<void(ConfigFile*)>& edit,
                              const files::WaitNotice& onWait = files::WaitNotice());

  // Makes an interruption of the program remove the file that a save under
  // way has written beside the configuration file (files/Interruption.h):
  // the host library keeps its own list of such files. For a program's
  // main, once.
  static void RemoveTemporariesOnInterruption();

  // One entry per name, in the order the names first appear.
  const std::vector<Setting>& settings() const { return settings_; }
  // The setting of `name`, or null when the file does not set it.
  const Setting* Find(const std::string& name) const;
  // The numbers of the bad lines, in file order.
  const std::vector<int>& badLines() const { return badLines_; }

  // Adds a line setting `name` to `value` at the end of the file, ended as
  // the file's last ended line is (CR LF or LF).
  void Append(const std::string& name, const std::string& value);
  // Sets `name` to `value`: rewrites the line that sets it now, keeping that
  // line's end, or appends one when no line does.
  void Set(const std::string& name, const std::string& value);

  // The file's contents: the lines read, byte for byte, then those appended.
  std::string text() const;

 private:
  // Records that line number `line` sets `name` to `value`.
  void Take(const std::string& name, const std::string& value, int line);

  // The UTF-8 byte-order mark the file began with, or nothing.
  std::string mark_;
  // Each line with its line end, if it had one; only the last may lack it.
  std::vector<std::string> lines_;
  std::vector<Setting> settings_;
  // Where each name's entry is in settings_, so that reading and merging a
  // file of many settings take time in proportion to its size.
  std::unordered_map<std::string, std::size_t> index_;
  std::vector<int> badLines_;
};

// An update of the configuration file (ConfigFile::Update) in two steps,
// so that a program can put files of its own in place with it: Prepare
// takes the lock and keeps it, reads the file as it is now, lets `edit`
// change it and writes the new text beside the file; Commit puts it in
// place. The lock is let go, and a prepared text not put in place removed,
// when the ConfigUpdate goes.
class HOST_API ConfigUpdate {
 public:
  ConfigUpdate();
  ~ConfigUpdate();
  ConfigUpdate(const ConfigUpdate&) = delete;
  ConfigUpdate& operator=(const ConfigUpdate&) = delete;

  // Update up to its last step; fails as Update fails, the file as it was.
  files::Status Prepare(const std::string& path, const std::function<void(ConfigFile*)>& edit,
                        const files::WaitNotice& onWait = files::WaitNotice());
  // Puts the prepared text in place in one step, once. Does nothing when
  // nothing was prepared or the edit changed nothing.
  files::Status Commit();

 private:
  struct State;
  files::Status EditUnderLock(const std::string& path,
                              const std::function<void(ConfigFile*)>& edit,
                              const files::WaitNotice& onWait);

  std::string path_;  // as the caller gave it, for messages
  std::unique_ptr<State> state_;
};

}  // namespace simhost
