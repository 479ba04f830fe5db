// Counts every allocation through the global operator new of the process,
// the stand-in library's included. Kept in its own file so that no caller
// sees the new and the delete together.
#include <atomic>
#include <cstdlib>
#include <new>

namespace allocation_count {
std::atomic<long> total{0};
}  // namespace allocation_count

void* operator new(std::size_t size) {
  ++allocation_count::total;
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  ++allocation_count::total;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return ::operator new(size, tag); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
