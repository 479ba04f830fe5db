// Host memory: blocks for the plug-in's lists and objects.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "korpus/entries.h"
#include "korpus/faults.h"

namespace standin::entry {

void* KORPUS_CALLER AllocateZeroed(std::uint32_t count, std::uint32_t size) {
  if (ShouldFail(Fault::Allocation)) return nullptr;
  const std::uint64_t bytes = std::uint64_t{count} * size;
  if (bytes > 0x7FFFFFFF) return nullptr;
  return std::calloc(bytes == 0 ? 1 : static_cast<std::size_t>(bytes), 1);
}

void* KORPUS_CALLER Resize(void* block, std::uint32_t size) {
  if (ShouldFail(Fault::Allocation)) return nullptr;
  if (size > 0x7FFFFFFF) return nullptr;
  return std::realloc(block, size == 0 ? 1 : size);
}

void KORPUS_CALLER Free(void* block) { std::free(block); }

void KORPUS_CALLER DeleteObject(void* object) { std::free(object); }

}  // namespace standin::entry
