#pragma once

#include <string>

#include "HostExport.h"
#include "PluginExports.h"

namespace simhost {

// Plugin modules linked into the program, where the platform loads no code
// at run time (WebAssembly). The host's loader for such a platform
// (PluginModule_linked.cpp) opens a linked module as the system's loader
// opens a file: by its file name, the last part of the path it is given;
// it finds the module's record under "exports" and checks it as it checks
// any other. Linking the module is the program's, once, before any host
// loads it: `record` is the module's exported record, which lives as long
// as the program. Builds with the system's loader do not have this.
HOST_API void LinkModule(const std::string& fileName, const PluginInfo* record);

}  // namespace simhost
