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

// Makes the `n`th allocation from now (1: the next) fail, once, as it
// would on a system out of memory; 0 cancels it. For tests of what a
// program does when memory runs out at any one point.
void FailAllocation(std::uint64_t n);

// How the allocation FailAllocation named has failed: not yet (the program
// made fewer), by throwing std::bad_alloc, or by returning null (a nothrow
// new, whose caller goes on without the memory).
enum class AllocationFailure { kNone, kThrown, kNull };
AllocationFailure FailedAllocation();

}  // namespace vantorel_test
