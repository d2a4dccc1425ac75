#pragma once

// The bytes the process holds on the heap right now, as the allocator in use
// counts them: the sanitizer's allocator when one is built in, else glibc's.

#include <cstddef>

#if defined(VANTOREL_SANITIZED)
// The sanitizer runtimes export it; GCC ships no header that declares it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
#  include <malloc.h>
#endif

namespace reliability {

// Whether HeapInUse measures anything on this platform.
constexpr bool kCanMeasureHeap =
#if defined(VANTOREL_SANITIZED) || defined(__GLIBC__)
    true;
#else
    false;
#endif

constexpr bool kSanitized =
#if defined(VANTOREL_SANITIZED)
    true;
#else
    false;
#endif

inline std::size_t HeapInUse() {
#if defined(VANTOREL_SANITIZED)
  return __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
  return mallinfo2().uordblks;
#else
  return 0;
#endif
}

}  // namespace reliability
