// Every form of new and delete goes to malloc and free, so that the
// sanitizers see matching pairs; only the nothrow forms can be refused.
#include "tests/support/refusing_new.h"

#include <cstdlib>
#include <new>

namespace refusing_new {
namespace {
long refuse_from = 0;
long requests = 0;
}  // namespace
void Refuse(bool on) { RefuseFrom(on ? 1 : 0); }
void RefuseFrom(long n) {
  refuse_from = n;
  requests = 0;
}
bool Refused() { return refuse_from > 0 && ++requests >= refuse_from; }
}  // namespace refusing_new

void* operator new(std::size_t size) {
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (refusing_new::Refused()) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return ::operator new(size, tag); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
