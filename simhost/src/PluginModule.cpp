#include "PluginModule.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace simhost {

files::Status PluginModule::Open(const std::string& path, std::unique_ptr<PluginModule>* module) {
  // The loaders' own words for a folder ("cannot read file data", "access
  // denied") do not say what is wrong.
  std::error_code ignored;
  if (std::filesystem::is_directory(std::filesystem::u8path(path), ignored)) {
    return files::Status::Error("cannot open plugin module " + path + ": it is a directory");
  }
  void* handle = OpenLibrary(path);
  if (!handle) {
    return files::Status::Error("cannot open plugin module " + path + ": " + SystemMessage());
  }
  const auto* record = static_cast<const PluginInfo*>(FindSymbol(handle, kPluginRecordSymbol));
  if (!record) {
    CloseLibrary(handle);
    return files::Status::Error("plugin module " + path + " has no exported record \"" +
                                std::string(kPluginRecordSymbol) + "\"");
  }
  if (record->interfaceVersion != kPluginInterfaceVersion) {
    const std::int32_t version = record->interfaceVersion;
    CloseLibrary(handle);
    return files::Status::Error("plugin module " + path + " carries plugin interface version " +
                                std::to_string(version) + "; this host loads version " +
                                std::to_string(kPluginInterfaceVersion));
  }
  module->reset(new PluginModule(handle, record, path));
  return files::Status::Ok();
}

PluginModule::~PluginModule() { CloseLibrary(handle_); }

}  // namespace simhost
