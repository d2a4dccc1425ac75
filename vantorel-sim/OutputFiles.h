#pragma once

// The files a run writes: whether an output can be written at all, and the
// end of a run, which writes its outputs and the configuration so that a
// failure leaves every file as it was. Paths are UTF-8 on every platform;
// the writing itself, and whether two paths lead to one file, are the file
// library's (files/Files.h, files/SameFile.h).

#include <string>
#include <vector>

#include "Picture.h"
#include "files/Status.h"
#include "simhost/Console.h"

namespace vantorel_sim {

// Whether the file at `path` can be replaced as a whole (files/Files.h,
// ReplaceableTarget): a regular file that may be written, or nothing yet, in
// a folder where a file may be made. A failure names the file as `what`
// PATH and says what is wrong.
files::Status CheckOutput(const std::string& path, const std::string& what);

// A file a run writes at its end, whole: the path as the user gave it
// (written through its links), what the file is for messages ("the
// picture"), and every byte of it.
struct Output {
  std::string path;
  std::string what;
  std::string content;
};

// `scene` painted (PaintPicture) as the picture at `path`, in `output`.
// Fails, naming the file, when it cannot be painted.
files::Status PictureOutput(const Scene& scene, const std::string& path, Output* output);

// The end of a run that played to its end: writes each of `outputs` beside
// its file, then prepares the save of the console's variables to
// `configPath` (when not empty; `onWait` is told if the save must wait for
// another run's lock), then puts the configuration file in place and every
// output in its file's place, in that order, with interruptions held back
// (files/Interruption.h) so that an interruption finds all of them in place
// or none. A failure before the configuration is in place leaves every file
// as it was, and nothing beside them.
files::Status SaveOutputs(simhost::Console& console, const std::string& configPath,
                          const std::vector<Output>& outputs,
                          const files::WaitNotice& onWait = files::WaitNotice());

}  // namespace vantorel_sim
