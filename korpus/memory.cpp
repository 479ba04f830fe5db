// Host memory: blocks for the plug-in's lists and objects.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <atomic>

#include "korpus/entries.h"
#include "korpus/faults.h"
#include "korpus/testing.h"

namespace standin {

namespace {

// Blocks handed out and not yet given back, so that tests can tell a leak
// of the plug-in's from one of their own.
std::atomic<long> live_blocks{0};

}  // namespace

namespace testing {
long LiveBlocks() { return live_blocks.load(); }
}  // namespace testing

namespace entry {

void* KORPUS_CALLER AllocateZeroed(std::uint32_t count, std::uint32_t size) {
  if (ShouldFail(Fault::Allocation)) return nullptr;
  const std::uint64_t bytes = std::uint64_t{count} * size;
  if (bytes > 0x7FFFFFFF) return nullptr;
  void* block = std::calloc(bytes == 0 ? 1 : static_cast<std::size_t>(bytes), 1);
  if (block != nullptr) ++live_blocks;
  return block;
}

void* KORPUS_CALLER Resize(void* block, std::uint32_t size) {
  if (ShouldFail(Fault::Allocation)) return nullptr;
  if (size > 0x7FFFFFFF) return nullptr;
  void* resized = std::realloc(block, size == 0 ? 1 : size);
  if (resized != nullptr && block == nullptr) ++live_blocks;
  return resized;
}

void KORPUS_CALLER Free(void* block) {
  if (block != nullptr) --live_blocks;
  std::free(block);
}

void KORPUS_CALLER DeleteObject(void* object) {
  if (object != nullptr) --live_blocks;
  std::free(object);
}

}  // namespace entry

}  // namespace standin
