#include "HeapInUse.h"

// GCC says by macros which sanitizer is built in, clang by __has_feature.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#  define SANITIZER_ALLOCATOR 1
#elif defined(__has_feature)
#  if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#    define SANITIZER_ALLOCATOR 1
#  endif
#endif

#if defined(SANITIZER_ALLOCATOR)
// The sanitizer runtimes export it; GCC ships no header that declares it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
#  include <malloc.h>
#endif

namespace vantorel_test {

#if defined(SANITIZER_ALLOCATOR)
std::size_t HeapInUse() { return __sanitizer_get_current_allocated_bytes(); }
bool CanMeasureHeap() { return true; }
bool SanitizedHeap() { return true; }
#elif defined(__GLIBC__)
std::size_t HeapInUse() { return mallinfo2().uordblks; }
bool CanMeasureHeap() { return true; }
bool SanitizedHeap() { return false; }
#else
std::size_t HeapInUse() { return 0; }
bool CanMeasureHeap() { return false; }
bool SanitizedHeap() { return false; }
#endif

}  // namespace vantorel_test
