#include "PluginModule.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "files/Files.h"

namespace simhost {

files::Status PluginModule::Open(const std::string& path, std::unique_ptr<PluginModule>* module) {
  // The loaders' own words for a folder ("cannot read file data", "access
  // denied") do not say what is wrong.
  std::error_code ignored;
  if (std::filesystem::is_directory(std::filesystem::u8path(path), ignored)) {
    return files::Status::Error("cannot open plugin module " + path + ": it is a directory");
  }
  // A file that is missing is left to the loader to report, in its words.
  std::optional<std::string> bytes;
  files::Status status = files::ReadRegularFile(path, &bytes);
  if (!status.ok()) {
    return files::Status::Error("cannot open plugin module " + path + ": " + status.message());
  }
  if (bytes) {
    status = CheckImage(path, *bytes);
    if (!status.ok()) return status;
  }
  std::string error;
  void* handle = OpenLibrary(path, &error);
  if (!handle) return files::Status::Error("cannot open plugin module " + path + ": " + error);
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
