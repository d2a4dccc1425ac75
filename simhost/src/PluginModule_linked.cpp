// The linked half of the loader, for a platform that loads no code at run
// time (WebAssembly): the plugin module is linked into the program, which
// names it with LinkModule, and opening it finds it by its file name. The
// host goes on from the record exactly as with a module the system loaded.

#include <string>
#include <vector>

#include "PluginModule.h"
#include "simhost/LinkedModules.h"

namespace simhost {

namespace {

struct LinkedModule {
  std::string fileName;
  const PluginInfo* record;
};

std::vector<LinkedModule>& LinkedModules() {
  static std::vector<LinkedModule> modules;
  return modules;
}

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void LinkModule(const std::string& fileName, const PluginInfo* record) {
  LinkedModules().push_back(LinkedModule{fileName, record});
}

void* PluginModule::OpenLibrary(const std::string& path, std::string* error) {
  for (LinkedModule& module : LinkedModules()) {
    if (module.fileName == FileNameOf(path)) return &module;
  }
  *error = "no module of that name is linked into this program";
  return nullptr;
}

void* PluginModule::FindSymbol(void* handle, const char* name) {
  const auto* module = static_cast<const LinkedModule*>(handle);
  if (std::string(name) != kPluginRecordSymbol) return nullptr;
  return const_cast<PluginInfo*>(module->record);
}

// A linked module stays in the program; its plugin object went with
// deleteMe.
void PluginModule::CloseLibrary(void*) {}

// No loader maps a file here: whatever stands at the path, the module is
// the one linked in.
files::Status PluginModule::CheckImage(const std::string&, const std::string&) {
  return files::Status::Ok();
}

}  // namespace simhost
