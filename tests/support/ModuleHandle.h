#pragma once

#include "PluginExports.h"

#ifdef _WIN32
#  include <windows.h>
#else
#  include <dlfcn.h>
#endif

namespace vantorel_test {

// A module opened by the test itself, the way a host opens one, beside any
// host that holds it too (the system counts the openings): to look up its
// exports by name, or to close it while its statics still hold something.
// Owns its opening: closes the module when it goes, unless Close did.
class ModuleHandle {
 public:
#ifdef _WIN32
  // The module's own folder is searched for the host library it imports.
  explicit ModuleHandle(const char* path)
      : handle_(LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {}
  void* Symbol(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(handle_, name));
  }
  void Close() {
    if (handle_ != nullptr) FreeLibrary(handle_);
    handle_ = nullptr;
  }
#else
  explicit ModuleHandle(const char* path) : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}
  void* Symbol(const char* name) const { return dlsym(handle_, name); }
  void Close() {
    if (handle_ != nullptr) dlclose(handle_);
    handle_ = nullptr;
  }
#endif
  ~ModuleHandle() { Close(); }
  ModuleHandle(const ModuleHandle&) = delete;
  ModuleHandle& operator=(const ModuleHandle&) = delete;

  bool open() const { return handle_ != nullptr; }
  // The plugin record, the exported symbol kPluginRecordSymbol.
  const PluginInfo* Record() const {
    return static_cast<const PluginInfo*>(Symbol(kPluginRecordSymbol));
  }

 private:
#ifdef _WIN32
  HMODULE handle_;
#else
  void* handle_;
#endif
};

}  // namespace vantorel_test
