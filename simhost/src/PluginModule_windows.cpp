// The Windows half of the loader: LoadLibrary.

#include "PluginModule.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "files/SystemError.h"
#include "files/Utf16.h"

namespace simhost {

std::string PluginModule::SystemMessage() { return files::LastSystemError(); }

void* PluginModule::OpenLibrary(const std::string& path) {
  // An absolute path, so that the module's own folder is searched for the
  // libraries it needs (the host library beside it).
  std::error_code ignored;
  std::filesystem::path full = std::filesystem::absolute(files::Widen(path), ignored);
  if (full.empty()) full = files::Widen(path);
  return reinterpret_cast<void*>(
      LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

void* PluginModule::FindSymbol(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void PluginModule::CloseLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }

}  // namespace simhost
