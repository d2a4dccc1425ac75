#pragma once

#include <cstdint>

namespace vantorel_test {

// Heap allocations the process has made so far, through any form of the
// global operator new. Only a program that links the object library
// vantorel_allocation_counter has it: that library replaces the global
// operators, which no other program should find replaced. On ELF systems the
// host library and the plugin module bind to the program's definitions, so
// their allocations are counted too.
std::uint64_t AllocationCount();

}  // namespace vantorel_test
