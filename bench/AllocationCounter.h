#pragma once

#include <cstdint>

namespace vantorel_bench {

// Heap allocations the process has made so far, through any form of the
// global operator new. A program that links AllocationCounter.cpp replaces
// the global operators; on ELF systems the host library and the plugin module
// bind to the program's definitions, so their allocations are counted too.
std::uint64_t AllocationCount();

}  // namespace vantorel_bench
