#pragma once

#include <cstdint>

#include "CarWrapper.h"
#include "HostExport.h"

// A view of one of the game's object lists. Indices stay valid between calls.
// Only the car list is part of the interface.
template <typename T>
class ArrayWrapper;

template <>
class HOST_API ArrayWrapper<CarWrapper> {
 public:
  explicit ArrayWrapper(std::uintptr_t address = 0) : memory_address(address) {}

  std::int32_t Count() const;
  // A null car for any index outside 0 .. Count() - 1.
  CarWrapper Get(std::int32_t index) const;

  std::uintptr_t memory_address;
};
