// Replaces the global operator new and delete, plain and aligned, with a
// pass-through to malloc that counts calls, and fails the one call a test
// asks to fail; and the plain nothrow new, so that a failing one returns
// null as it would, rather than counting twice. The other forms (arrays)
// are the standard library's, which call these. Only the news are counted:
// a frame that frees without allocating would be a frame that leaked
// earlier.

#include "AllocationCounter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

using vantorel_test::AllocationFailure;

std::atomic<std::uint64_t> allocations{0};
std::atomic<std::uint64_t> failing{0};  // the number of the allocation to fail; 0: none
std::atomic<AllocationFailure> failure{AllocationFailure::kNone};

// Counts one allocation; true when it is the one to fail, which then fails
// as `how`.
bool Fails(AllocationFailure how) {
  const std::uint64_t number = allocations.fetch_add(1, std::memory_order_relaxed) + 1;
  if (number != failing.load(std::memory_order_relaxed)) return false;
  failure.store(how, std::memory_order_relaxed);
  return true;
}

}  // namespace

namespace vantorel_test {

std::uint64_t AllocationCount() { return allocations.load(std::memory_order_relaxed); }

void FailAllocation(std::uint64_t n) {
  failure.store(AllocationFailure::kNone, std::memory_order_relaxed);
  failing.store(n == 0 ? 0 : AllocationCount() + n, std::memory_order_relaxed);
}

AllocationFailure FailedAllocation() { return failure.load(std::memory_order_relaxed); }

}  // namespace vantorel_test

void* operator new(std::size_t size) {
  if (Fails(AllocationFailure::kThrown)) throw std::bad_alloc();
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (Fails(AllocationFailure::kNull)) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

void* operator new(std::size_t size, std::align_val_t alignment) {
  if (Fails(AllocationFailure::kThrown)) throw std::bad_alloc();
  const auto align = static_cast<std::size_t>(alignment);
  // aligned_alloc wants a size that is a multiple of the alignment.
  const std::size_t rounded = (size + align - 1) / align * align;
  void* p = std::aligned_alloc(align, rounded == 0 ? align : rounded);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
