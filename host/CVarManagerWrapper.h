#pragma once

#include <string>

#include "CVarWrapper.h"
#include "HostExport.h"

// The host's record of one loaded plugin; opaque to the plugin.
class HostSession;

// The host console as one plugin sees it: its variables and its log. The
// host creates one per loaded plugin and owns what it refers to.
class HOST_API CVarManagerWrapper {
 public:
  explicit CVarManagerWrapper(HostSession* session) : session_(session) {}

  // Registers a variable, or returns the one already registered under the
  // name. Bounds are floats whatever the slot's type.
  CVarWrapper registerCvar(std::string name, std::string defaultValue,
                           std::string description = "", bool searchable = true,
                           bool hasMin = false, float min = 0.0f,
                           bool hasMax = false, float max = 0.0f,
                           bool saveToConfig = true);

  // Writes one line to the console.
  void log(std::string text);

 private:
  HostSession* session_;
};
