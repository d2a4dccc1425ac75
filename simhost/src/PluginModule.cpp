#include "PluginModule.h"

#include <filesystem>
#include <string>
#include <system_error>

#ifdef _WIN32
#  include "files/Files.h"
#  include "files/SystemError.h"
#else
#  include <dlfcn.h>
#endif

namespace simhost {

namespace {

#ifdef _WIN32

std::string SystemMessage() { return files::LastSystemError(); }

void* OpenLibrary(const std::string& path) {
  // An absolute path, so that the module's own folder is searched for the
  // libraries it needs (the host library beside it).
  std::error_code ignored;
  std::filesystem::path full = std::filesystem::absolute(files::Widen(path), ignored);
  if (full.empty()) full = files::Widen(path);
  return reinterpret_cast<void*>(
      LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

void* FindSymbol(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void CloseLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }

#else

std::string SystemMessage() {
  const char* text = dlerror();
  return text ? text : "unknown error";
}

void* OpenLibrary(const std::string& path) {
  // A path is a path: a bare file name is the file in the current folder,
  // which dlopen would instead look for in the system's library folders.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  // Local: every module keeps its own `exports`, getPlugin and deleteMe.
  return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindSymbol(void* handle, const char* name) {
  dlerror();
  return dlsym(handle, name);
}

void CloseLibrary(void* handle) { dlclose(handle); }

#endif

}  // namespace

std::unique_ptr<PluginModule> PluginModule::Open(const std::string& path, std::string* error) {
  // The loaders' own words for a folder ("cannot read file data", "access
  // denied") do not say what is wrong.
  std::error_code ignored;
  if (std::filesystem::is_directory(std::filesystem::u8path(path), ignored)) {
    if (error) *error = "cannot open plugin module " + path + ": it is a directory";
    return nullptr;
  }
  void* handle = OpenLibrary(path);
  if (!handle) {
    if (error) *error = "cannot open plugin module " + path + ": " + SystemMessage();
    return nullptr;
  }
  const auto* record = static_cast<const PluginInfo*>(FindSymbol(handle, kPluginRecordSymbol));
  if (!record) {
    CloseLibrary(handle);
    if (error) {
      *error = "plugin module " + path + " has no exported record \"" +
               std::string(kPluginRecordSymbol) + "\"";
    }
    return nullptr;
  }
  if (record->interfaceVersion != kPluginInterfaceVersion) {
    const std::int32_t version = record->interfaceVersion;
    CloseLibrary(handle);
    if (error) {
      *error = "plugin module " + path + " carries plugin interface version " +
               std::to_string(version) + "; this host loads version " +
               std::to_string(kPluginInterfaceVersion);
    }
    return nullptr;
  }
  return std::unique_ptr<PluginModule>(new PluginModule(handle, record, path));
}

PluginModule::~PluginModule() { CloseLibrary(handle_); }

}  // namespace simhost
