#pragma once

#include "PluginExports.h"

namespace vantorel_test {

// A module opened by the test itself, the way a host opens one, beside any
// host that holds it too (the system counts the openings): to look up its
// exports by name, or to close it while its statics still hold something.
// Closes the module when it goes, unless Close did already.
class ModuleHandle {
 public:
  explicit ModuleHandle(const char* path);
  ~ModuleHandle() { Close(); }
  ModuleHandle(const ModuleHandle&) = delete;
  ModuleHandle& operator=(const ModuleHandle&) = delete;

  bool open() const { return handle_ != nullptr; }
  // The exported symbol `name`; null when there is none.
  void* Symbol(const char* name) const;
  // The plugin record, the symbol kPluginRecordSymbol.
  const PluginInfo* Record() const;
  void Close();

 private:
  // An HMODULE on Windows, a dlopen handle elsewhere.
  void* handle_ = nullptr;
};

}  // namespace vantorel_test
