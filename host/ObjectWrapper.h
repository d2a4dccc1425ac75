#pragma once

#include <cstdint>

#include "HostExport.h"

// Base of every handle to a game object. A wrapper is a value: copying it
// copies the handle, never the object. Its first and only member is the
// address of the object it stands for; a wrapper that holds no object holds 0.
// Two wrappers denote the same object exactly when their addresses are equal.
class HOST_API ObjectWrapper {
 public:
  explicit ObjectWrapper(std::uintptr_t address = 0) : memory_address(address) {}

  // True when the wrapper holds no object.
  bool IsNull() const;

  std::uintptr_t memory_address;
};
