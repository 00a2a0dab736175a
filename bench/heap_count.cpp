// The process's heap in use, counted at every allocation; linked only into
// the benchmarks that ask heap_bytes() (the count costs every allocation
// an atomic add).
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "harness.h"

namespace {

std::atomic<std::int64_t> g_heap{0};
std::atomic<std::int64_t> g_allocations{0};

void* counted_alloc(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (!p) throw std::bad_alloc();
  g_heap += static_cast<std::int64_t>(malloc_usable_size(p));
  ++g_allocations;
  return p;
}

void counted_free(void* p) {
  if (!p) return;
  g_heap -= static_cast<std::int64_t>(malloc_usable_size(p));
  std::free(p);
}

}  // namespace

// Counting every allocation of the process is what "bytes an engine holds"
// needs: the heap difference across building one.
void* operator new(std::size_t size) { return counted_alloc(size); }
void* operator new[](std::size_t size) { return counted_alloc(size); }
void operator delete(void* p) noexcept { counted_free(p); }
void operator delete[](void* p) noexcept { counted_free(p); }
void operator delete(void* p, std::size_t) noexcept { counted_free(p); }
void operator delete[](void* p, std::size_t) noexcept { counted_free(p); }

namespace sorla::bench {

std::int64_t heap_bytes() { return g_heap.load(); }

std::int64_t allocation_count() { return g_allocations.load(); }

}  // namespace sorla::bench
