#pragma once

#include <cstddef>

// A sanitizer with an allocator of its own: GCC says so by macros, clang by
// __has_feature. The runtimes export its heap count; no header declares it.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#  define VANTOREL_SANITIZER_HEAP 1
#elif defined(__has_feature)
#  if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#    define VANTOREL_SANITIZER_HEAP 1
#  endif
#endif
#if defined(VANTOREL_SANITIZER_HEAP)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
#  include <malloc.h>
#endif

namespace vantorel_test {

// Whether HeapInUse measures anything on this platform, and whether the heap
// is a sanitizer's, whose interceptors keep a little of it for themselves
// now and then.
#if defined(VANTOREL_SANITIZER_HEAP)
constexpr bool kCanMeasureHeap = true, kSanitizedHeap = true;
#elif defined(__GLIBC__)
constexpr bool kCanMeasureHeap = true, kSanitizedHeap = false;
#else
constexpr bool kCanMeasureHeap = false, kSanitizedHeap = false;
#endif

// The bytes the process holds on the heap right now, as the allocator in use
// counts them; 0 where kCanMeasureHeap is false.
inline std::size_t HeapInUse() {
#if defined(VANTOREL_SANITIZER_HEAP)
  return __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
  return mallinfo2().uordblks;
#else
  return 0;
#endif
}

}  // namespace vantorel_test
