// The POSIX half of the loader: dlopen.

#include "PluginModule.h"

#include <dlfcn.h>

#include <string>

namespace simhost {

std::string PluginModule::SystemMessage() {
  const char* text = dlerror();
  return text ? text : "unknown error";
}

void* PluginModule::OpenLibrary(const std::string& path) {
  // A path is a path: a bare file name is the file in the current folder,
  // which dlopen would instead look for in the system's library folders.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  // Local: every module keeps its own `exports`, getPlugin and deleteMe.
  return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* PluginModule::FindSymbol(void* handle, const char* name) {
  dlerror();
  return dlsym(handle, name);
}

void PluginModule::CloseLibrary(void* handle) { dlclose(handle); }

}  // namespace simhost
