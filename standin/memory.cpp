// Host memory: blocks for the plug-in's lists and objects.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <algorithm>
#include <atomic>
#include <bit>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#if !defined(_WIN32)
#include <sys/mman.h>
#include <sys/sysinfo.h>
#include <unistd.h>
#endif

#include "standin/address_sanitizer.h"
#include "standin/entries.h"
#include "standin/faults.h"
#include "standin/testing.h"


namespace standin {

namespace {

// Blocks handed out and not yet given back, so that tests can tell a leak
// of the plug-in's from one of their own.
std::atomic<long> live_blocks{0};

// The plug-in grows its lists one element per Resize. The host keeps room
// beyond the size asked for, so that a long list costs a copy per doubling
// and not one per element; the room is out of bounds to the sanitizer as
// it would be past a block of exactly the size asked for.
struct Extent {
  std::size_t size;
  std::size_t capacity;
  bool mapped = false;  // fresh pages of the system's, see FreshZeroedPages
};

// A host's heap hands a large zeroed block out as fresh pages from the
// system, which cost only as they are touched: the 5000 counted items of
// an import are 9 MB, of which a short data.txt touches a few pages.
// glibc's calloc does so only until a block of that size has been freed.
// Under the address sanitizer its own allocator keeps the bounds, and a
// Windows heap already works this way.
#if !defined(_WIN32) && !defined(KORPUS_ASAN)
constexpr std::size_t kFreshPagesFrom = 0x7F000;

// The block given back last is kept for the next of its size, cleared:
// an import per F4 key would otherwise map and unmap 9 MB each time, and
// every page it touches would fault in afresh, both far dearer here than
// clearing the few pages it wrote.
struct SparePages {
  std::mutex lock;
  void* block = nullptr;
  std::size_t capacity = 0;
};

SparePages& Spare() {
  static auto* spare = new SparePages;
  return *spare;
}

// The system refusing the pages of a large block, as when it runs short.
bool PagesRefused() { return ShouldFail(Fault::SystemPages); }

// Clears what was written: without swap a written page stays resident and
// an untouched one is not, so only the resident pages need zeros; many of
// them, or any doubt, and the system takes the pages back instead.
bool ClearWritten(void* block, std::size_t capacity) {
  constexpr std::size_t kMostCleared = std::size_t{1} << 20;
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  struct sysinfo system {};
  if (page == 0 || ::sysinfo(&system) != 0 || system.totalswap != 0) return false;
  const std::size_t pages = (capacity + page - 1) / page;
  // Whole words of page states at a time: a 9 MB block has 2200 pages,
  // and most of them were never touched.
  constexpr std::uint64_t kResidentBits = 0x0101010101010101u;
  std::vector<std::uint64_t> words((pages + 7) / 8, 0);
  auto* const states = reinterpret_cast<unsigned char*>(words.data());
  if (PagesRefused() || ::mincore(block, capacity, states) != 0) return false;
  std::size_t written = 0;
  for (std::uint64_t& word : words) {
    word &= kResidentBits;
    written += static_cast<std::size_t>(std::popcount(word));
  }
  if (written * page > kMostCleared) return false;
  auto* const bytes = static_cast<unsigned char*>(block);
  for (std::size_t w = 0; w < words.size(); ++w) {
    if (words[w] == 0) continue;
    for (std::size_t i = w * 8; i < std::min(pages, w * 8 + 8); ++i) {
      if ((states[i] & 1u) != 0) std::memset(bytes + i * page, 0, std::min(page, capacity - i * page));
    }
  }
  return true;
}

void* FreshZeroedPages(std::size_t size, std::size_t& capacity) {
  if (size < kFreshPagesFrom) return nullptr;
  {
    SparePages& spare = Spare();
    const std::lock_guard guard(spare.lock);
    // Not a spare of more than twice the size: its room would be held for
    // nothing.
    if (spare.block != nullptr && spare.capacity >= size && spare.capacity / 2 <= size) {
      capacity = spare.capacity;
      return std::exchange(spare.block, nullptr);
    }
  }
  void* pages = PagesRefused() ? MAP_FAILED
                               : ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) return nullptr;
  capacity = size;
  return pages;
}

void Release(void* block, const Extent& extent) {
  if (!extent.mapped) {
    std::free(block);
    return;
  }
  if (!ClearWritten(block, extent.capacity) &&
      (PagesRefused() || ::madvise(block, extent.capacity, MADV_DONTNEED) != 0)) {
    ::munmap(block, extent.capacity);
    return;
  }
  SparePages& spare = Spare();
  void* previous = nullptr;
  std::size_t previous_capacity = 0;
  {
    const std::lock_guard guard(spare.lock);
    previous = std::exchange(spare.block, block);
    previous_capacity = std::exchange(spare.capacity, extent.capacity);
  }
  if (previous != nullptr) ::munmap(previous, previous_capacity);
}

// Fresh pages grow where they are or are moved by the system, never
// copied: a long import's item block is never held twice.
void* GrowPages(void* block, Extent& extent, std::size_t size) {
  const std::size_t capacity = std::max(size, std::min<std::size_t>(extent.capacity * 2, 0x7FFFFFFF));
  void* grown = PagesRefused() ? MAP_FAILED : ::mremap(block, extent.capacity, capacity, MREMAP_MAYMOVE);
  if (grown == MAP_FAILED) return nullptr;
  extent.size = size;
  extent.capacity = capacity;
  return grown;
}
#else
void* FreshZeroedPages(std::size_t, std::size_t&) { return nullptr; }
void Release(void* block, const Extent&) { std::free(block); }
void* GrowPages(void*, Extent&, std::size_t) { return nullptr; }
#endif

std::mutex extents_lock;
std::unordered_map<void*, Extent>& Extents() {
  static auto* extents = new std::unordered_map<void*, Extent>;
  return *extents;
}

void MarkRoom(void* block, const Extent& extent) {
#if defined(KORPUS_ASAN)
  ASAN_UNPOISON_MEMORY_REGION(block, extent.size);
  ASAN_POISON_MEMORY_REGION(static_cast<char*>(block) + extent.size, extent.capacity - extent.size);
#else
  (void)block;
  (void)extent;
#endif
}

void* Grow(void* block, std::size_t old_size, std::size_t size) {
  const std::size_t capacity = std::max(size, std::min<std::size_t>(old_size * 2, 0x7FFFFFFF));
  void* grown = std::malloc(capacity);
  if (grown == nullptr) return nullptr;
  if (block != nullptr) std::memcpy(grown, block, std::min(old_size, size));
  const Extent extent{size, capacity};
  MarkRoom(grown, extent);
  Extents()[grown] = extent;
  return grown;
}

}  // namespace

namespace testing {
long LiveBlocks() { return live_blocks.load(); }
}  // namespace testing

namespace entry {

void* KORPUS_CALLER AllocateZeroed(std::uint32_t count, std::uint32_t size) {
  if (ShouldFail(Fault::Allocation)) return nullptr;
  const std::uint64_t bytes = std::uint64_t{count} * size;
  if (bytes > 0x7FFFFFFF) return nullptr;
  const std::size_t asked = bytes == 0 ? 1 : static_cast<std::size_t>(bytes);
  std::size_t capacity = asked;
  void* block = FreshZeroedPages(asked, capacity);
  const bool mapped = block != nullptr;
  if (!mapped) block = std::calloc(asked, 1);
  if (block == nullptr) return nullptr;
  ++live_blocks;
  const std::lock_guard guard(extents_lock);
  Extents()[block] = Extent{asked, capacity, mapped};
  return block;
}

void* KORPUS_CALLER Resize(void* block, std::uint32_t size) {
  if (ShouldFail(Fault::Allocation)) return nullptr;
  if (size > 0x7FFFFFFF) return nullptr;
  const std::size_t asked = size == 0 ? 1 : size;
  const std::lock_guard guard(extents_lock);
  if (block == nullptr) {
    void* fresh = Grow(nullptr, 0, asked);
    if (fresh != nullptr) ++live_blocks;
    return fresh;
  }
  const auto known = Extents().find(block);
  // A block the host did not hand out is the caller's fault; realloc is
  // what it would have met before.
  if (known == Extents().end()) return std::realloc(block, asked);
  Extent& extent = known->second;
  if (asked <= extent.capacity) {
    extent.size = asked;
    MarkRoom(block, extent);
    return block;
  }
  if (extent.mapped) {
    Extent moved = extent;
    void* grown = GrowPages(block, moved, asked);
    if (grown == nullptr) return nullptr;
    Extents().erase(known);
    Extents()[grown] = moved;
    return grown;
  }
#if defined(KORPUS_ASAN)
  ASAN_UNPOISON_MEMORY_REGION(block, extent.capacity);
#endif
  void* grown = Grow(block, extent.size, asked);
  if (grown == nullptr) {
    MarkRoom(block, extent);
    return nullptr;
  }
  const Extent old = extent;
  Extents().erase(block);
  Release(block, old);
  return grown;
}

void KORPUS_CALLER Free(void* block) {
  if (block == nullptr) return;
  --live_blocks;
  Extent extent{0, 0};
  {
    const std::lock_guard guard(extents_lock);
    const auto known = Extents().find(block);
    if (known != Extents().end()) {
      extent = known->second;
      Extents().erase(known);
    }
  }
  Release(block, extent);
}

void KORPUS_CALLER DeleteObject(void* object) { Free(object); }

}  // namespace entry

}  // namespace standin
