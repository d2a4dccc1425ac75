#pragma once

// The address a host wrapper holds is that of the simulated object it
// stands for (Wrappers.cpp lists which object each wrapper class points
// at). These two convert between the two, in one place.

#include <cstdint>

namespace simhost {

template <typename T>
std::uintptr_t AddressOf(const T* object) {
  return reinterpret_cast<std::uintptr_t>(object);
}

template <typename T>
T* ObjectAt(std::uintptr_t address) {
  return reinterpret_cast<T*>(address);
}

}  // namespace simhost
