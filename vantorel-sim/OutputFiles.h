#pragma once

// The files a run names on the command line, as files rather than strings:
// whether two paths lead to one file, whether an output can be written at
// all, and the end of a run, which writes its outputs and the configuration
// so that a failure leaves every file as it was. Paths are UTF-8 on every
// platform; the writing itself is the file library's (files/Files.h).

#include <string>
#include <vector>

#include "Picture.h"
#include "simhost/Console.h"

namespace vantorel_sim {

// Whether `a` and `b` are one file: after following links, for files that
// exist the same device and file number (so hard links and different
// spellings are caught); for files that do not, the same absolute path once
// "." and ".." and links in the folders are resolved.
bool SameFile(const std::string& a, const std::string& b);

// Whether the file at `path` can be replaced as a whole (files/Files.h:
// FollowLinks and CheckReplaceable): a regular file that may be written, or
// nothing yet, in a folder where a file may be made. On failure `error`
// names the file as `what` PATH and says what is wrong.
bool CheckOutput(const std::string& path, const std::string& what, std::string* error);

// A file a run writes at its end, whole: the path as the user gave it
// (written through its links), what the file is for messages ("the
// picture"), and every byte of it.
struct Output {
  std::string path;
  std::string what;
  std::string content;
};

// `scene` painted (PaintPicture) as the picture at `path`, in `output`.
// False, with `error` naming the file, when it cannot be painted.
bool PictureOutput(const Scene& scene, const std::string& path, Output* output,
                   std::string* error);

// The end of a run that played to its end: writes each of `outputs` beside
// its file, then saves the console's variables to `configPath` (when not
// empty), then puts every output in its file's place. A failure before the
// configuration is saved leaves every file as it was, and nothing beside
// them.
bool SaveOutputs(simhost::Console& console, const std::string& configPath,
                 const std::vector<Output>& outputs, std::string* error);

}  // namespace vantorel_sim
