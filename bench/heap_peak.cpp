// Every heap block of the process counted in and out, so that a benchmark
// can read the most that was held at once: the plug-in's indexes, the
// stand-in's blocks (calloc and realloc) and everything else.
#include "bench/heap_peak.h"

#include <malloc.h>

#include <cstddef>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace {

std::size_t live = 0;
std::size_t peak = 0;

void* Counted(void* block) {
  if (block != nullptr) {
    live += malloc_usable_size(block);
    if (live > peak) peak = live;
  }
  return block;
}

void Released(void* block) {
  if (block != nullptr) live -= malloc_usable_size(block);
}

}  // namespace

namespace heap_peak {

std::size_t Live() { return live; }
std::size_t Peak() { return peak; }
void ResetPeak() { peak = live; }

}  // namespace heap_peak

extern "C" {

void* malloc(std::size_t size) { return Counted(__libc_malloc(size)); }

void* calloc(std::size_t count, std::size_t size) { return Counted(__libc_calloc(count, size)); }

void* realloc(void* block, std::size_t size) {
  const std::size_t before = block != nullptr ? malloc_usable_size(block) : 0;
  void* moved = __libc_realloc(block, size);
  if (moved == nullptr) return nullptr;
  live -= before;
  return Counted(moved);
}

void free(void* block) {
  Released(block);
  __libc_free(block);
}

void* memalign(std::size_t alignment, std::size_t size) { return Counted(__libc_memalign(alignment, size)); }

void* aligned_alloc(std::size_t alignment, std::size_t size) { return Counted(__libc_memalign(alignment, size)); }

int posix_memalign(void** block, std::size_t alignment, std::size_t size) {
  void* made = Counted(__libc_memalign(alignment, size));
  if (made == nullptr) return 12;  // ENOMEM
  *block = made;
  return 0;
}

}  // extern "C"
