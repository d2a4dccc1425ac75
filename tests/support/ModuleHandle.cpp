#include "ModuleHandle.h"

#ifdef _WIN32
#  include <windows.h>
#else
#  include <dlfcn.h>
#endif

namespace vantorel_test {

#ifdef _WIN32

ModuleHandle::ModuleHandle(const char* path)
    // The module's own folder is searched for the host library it imports.
    : handle_(LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {}

void* ModuleHandle::Symbol(const char* name) const {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void ModuleHandle::Close() {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
  handle_ = nullptr;
}

#else

ModuleHandle::ModuleHandle(const char* path) : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}

void* ModuleHandle::Symbol(const char* name) const { return dlsym(handle_, name); }

void ModuleHandle::Close() {
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
}

#endif

const PluginInfo* ModuleHandle::Record() const {
  return static_cast<const PluginInfo*>(Symbol(kPluginRecordSymbol));
}

}  // namespace vantorel_test
