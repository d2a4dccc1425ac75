#pragma once

// Files in the module's own memory (Emscripten's in-memory file system):
// how the page hands the program a script or a configuration file.

#include <string>

#include "files/Status.h"

namespace vantorel_web {

// Writes `text` as the whole of the file at `path`.
files::Status KeepFile(const std::string& path, const std::string& text);

}  // namespace vantorel_web
