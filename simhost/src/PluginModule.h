#pragma once

#include <memory>
#include <string>
#include <utility>

#include "PluginExports.h"
#include "files/Status.h"

namespace simhost {

// One opened plugin module and its record. Internal to the host library.
//
// A bare file name is the file in the current folder, never one found in
// the system's library folders. Before the system's loader maps the file,
// its headers are checked (CheckImage): a file cut short by an interrupted
// copy would crash the loader. Opening reads the exported record `exports`
// and checks its interface version; a module that cannot be opened, has no
// record, or carries another version is refused with a failure whose
// message names the module's path:
//   cannot open plugin module PATH: SYSTEM MESSAGE
//   cannot open plugin module PATH: it is a directory
//   plugin module PATH is not a complete MACHINE FORMAT module: WHAT IS WRONG
//   plugin module PATH has no exported record "exports"
//   plugin module PATH carries plugin interface version N; this host loads version 73
// Closing (destruction) unloads the module: everything whose code lives in
// it must be gone by then.
class PluginModule {
 public:
  static files::Status Open(const std::string& path, std::unique_ptr<PluginModule>* module);
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  const PluginInfo& record() const { return *record_; }
  const std::string& path() const { return path_; }

 private:
  PluginModule(void* handle, const PluginInfo* record, std::string path)
      : handle_(handle), record_(record), path_(std::move(path)) {}

  // The system's loader, a file for each system (PluginModule_posix.cpp,
  // PluginModule_windows.cpp). OpenLibrary and FindSymbol give null when
  // they fail; OpenLibrary then says why in `error`, without the path.
  static void* OpenLibrary(const std::string& path, std::string* error);
  static void* FindSymbol(void* handle, const char* name);
  static void CloseLibrary(void* handle);
  // Whether `bytes`, the file at `path`, is a complete module of this
  // system's format (ELF, PE) for this machine: every header, table and
  // loaded part of it within the file. Otherwise a failure naming `path`.
  static files::Status CheckImage(const std::string& path, const std::string& bytes);

  void* handle_;
  const PluginInfo* record_;
  std::string path_;
};

}  // namespace simhost
