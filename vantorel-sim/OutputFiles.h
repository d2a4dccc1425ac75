#pragma once

// The files a run names on the command line, as files rather than strings:
// whether two paths lead to one file, whether an output can be written at
// all, and writing one so that it is either as it was or complete. Paths
// are UTF-8 on every platform.

#include <cstdio>
#include <string>

#include "Picture.h"
#include "simhost/Console.h"

namespace vantorel_sim {

// `path` with every symbolic link it names followed to the end of the chain
// (a link to a missing file gives that file's path); `path` itself when it
// is no link.
std::string FollowLinks(const std::string& path);

// Whether `a` and `b` are one file: after following links, for files that
// exist the same device and file number (so hard links and different
// spellings are caught); for files that do not, the same absolute path once
// "." and ".." and links in the folders are resolved.
bool SameFile(const std::string& a, const std::string& b);

// Whether the file at `path` (after following links) can be written as a
// whole new file: not a directory or other non-regular file, its folder
// present and writable. Creates and removes a file beside it to find out.
// On failure `error` names the file as `what` PATH.
bool CheckOutput(const std::string& path, const std::string& what, std::string* error);

// A file written in full beside its target and then renamed over it in one
// step, so that the target is either as it was or complete. Through a
// symbolic link it replaces the link's target, never the link; an existing
// target keeps its permission bits. The temporary file is removed unless it
// was renamed into place.
class PendingFile {
 public:
  PendingFile() = default;
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Creates the temporary file beside the target of `path`; `what` names the
  // file in messages ("the picture").
  bool Create(const std::string& path, const std::string& what, std::string* error);
  std::FILE* stream() { return stream_; }
  // Writes the stream out to the disk and closes it.
  bool Close(std::string* error);
  // Renames the closed temporary file over the target.
  bool Commit(std::string* error);

 private:
  bool Fail(const std::string& reason, std::string* error) const;

  std::string path_;    // as given, for messages
  std::string target_;  // the file replaced: path_ with its links followed
  std::string temporary_;
  std::string what_;
  std::FILE* stream_ = nullptr;
  bool committed_ = false;
};

// Paints `scene` into a PNG file at `path` as a PendingFile.
bool WritePicture(const Scene& scene, const std::string& path, std::string* error);

// The end of a run that played to its end: paints `scene` (when not null)
// into a temporary file beside `picturePath`, then saves the console's
// variables to `configPath` (when not empty), then renames the picture and
// `animation` (when not null: a file written and closed already) into
// place. A failure before the configuration is saved leaves every file as
// it was.
bool SaveOutputs(simhost::Console& console, const std::string& configPath, const Scene* scene,
                 const std::string& picturePath, PendingFile* animation, std::string* error);
// The same for a run without an animation.
bool SaveOutputs(simhost::Console& console, const std::string& configPath, const Scene* scene,
                 const std::string& picturePath, std::string* error);

}  // namespace vantorel_sim
