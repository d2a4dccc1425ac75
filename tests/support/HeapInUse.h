#pragma once

#include <cstddef>

namespace vantorel_test {

// The bytes the process holds on the heap right now, as the allocator in use
// counts them: a sanitizer's when one with an allocator of its own is built
// in, else glibc's; 0 where neither counts.
std::size_t HeapInUse();

// Whether HeapInUse measures anything on this platform.
bool CanMeasureHeap();

// Whether the heap is a sanitizer's, whose interceptors keep a little of it
// for themselves now and then.
bool SanitizedHeap();

}  // namespace vantorel_test
