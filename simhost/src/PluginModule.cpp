#include "PluginModule.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace simhost {

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
