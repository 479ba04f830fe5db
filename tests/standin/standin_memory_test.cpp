// The host's blocks: what a list that grows by one element per Resize
// keeps, what it costs, and that the room kept beyond a block stays out of
// bounds to the sanitizer.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "standin/address_sanitizer.h"
#include "standin/entries.h"
#include "standin/testing.h"
#include "tests/support/fault_rounds.h"

namespace {

using standin::entry::AllocateZeroed;
using standin::entry::Free;
using standin::entry::Resize;

void Fill(void* block, std::size_t from, std::size_t to) {
  auto* bytes = static_cast<unsigned char*>(block);
  for (std::size_t i = from; i < to; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
}

bool Holds(const void* block, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(block);
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] != static_cast<unsigned char>(i * 7 + 3)) return false;
  }
  return true;
}

struct Growth {
  const char* name;
  std::uint32_t first;     // bytes of the zeroed block it starts from; 0: Resize of null
  std::uint32_t step;      // bytes added per Resize
  int steps;
  std::uint32_t shrink_to; // a last Resize down, 0: none
};

class HostBlocks : public ::testing::TestWithParam<Growth> {};

TEST_P(HostBlocks, AListGrownOneElementAtATimeKeepsItsBytesAndMovesOnlyPerDoubling) {
  const Growth& growth = GetParam();
  const long live = standin::testing::LiveBlocks();
  std::size_t size = growth.first;
  void* block = growth.first == 0 ? Resize(nullptr, growth.step) : AllocateZeroed(1, growth.first);
  if (growth.first == 0) size = growth.step;
  ASSERT_NE(block, nullptr);
  if (growth.first != 0) {
    const std::vector<unsigned char> zeros(size, 0);
    EXPECT_EQ(std::memcmp(block, zeros.data(), size), 0) << "a fresh block is zeroed";
  }
  Fill(block, 0, size);
  std::set<void*> places{block};
  for (int i = 0; i < growth.steps; ++i) {
    void* const before = block;
    block = Resize(block, static_cast<std::uint32_t>(size + growth.step));
    ASSERT_NE(block, nullptr);
    if (block != before) {
      ASSERT_TRUE(Holds(block, size)) << "after moving to grow to " << size + growth.step;
    }
    Fill(block, size, size + growth.step);
    size += growth.step;
    places.insert(block);
  }
  EXPECT_TRUE(Holds(block, size));
  int doublings = 0;
  for (std::size_t room = growth.first == 0 ? growth.step : growth.first; room < size; room *= 2) ++doublings;
  EXPECT_LE(places.size(), static_cast<std::size_t>(doublings + 1)) << "a copy per element, not per doubling";
  if (growth.shrink_to != 0) {
    void* shrunk = Resize(block, growth.shrink_to);
    ASSERT_NE(shrunk, nullptr);
    EXPECT_TRUE(Holds(shrunk, growth.shrink_to));
    block = shrunk;
  }
  EXPECT_EQ(standin::testing::LiveBlocks(), live + 1);
  Free(block);
  EXPECT_EQ(standin::testing::LiveBlocks(), live);
}

INSTANTIATE_TEST_SUITE_P(Growths, HostBlocks,
                         ::testing::Values(Growth{"positions", 146 * 100, 146, 2000, 0},
                                           Growth{"items", 40 * 5000, 40, 6000, 1000},
                                           Growth{"from_null", 0, 13, 500, 7},
                                           Growth{"one_byte", 1, 1, 3000, 0},
                                           Growth{"item_block", 1796 * 5000, 1796, 6000, 1796 * 10}),
                         [](const ::testing::TestParamInfo<Growth>& p) { return std::string(p.param.name); });

// A large block given back and asked for again comes back zeroed however
// much of it was written: a few scattered pages, or more than are cleared
// one by one.
TEST(HostBlocksReuse, ALargeBlockAskedForAgainIsZeroedWhateverWasWritten) {
  constexpr std::uint32_t kItemBlock = 1796 * 5000;
  for (const std::size_t written_pages : {std::size_t{3}, std::size_t{700}}) {
    SCOPED_TRACE(written_pages);
    auto* block = static_cast<unsigned char*>(AllocateZeroed(1, kItemBlock));
    ASSERT_NE(block, nullptr);
    const std::size_t stride = kItemBlock / written_pages;
    for (std::size_t i = 0; i < written_pages; ++i) block[i * stride] = 0xA5;
    block[kItemBlock - 1] = 0x5A;
    Free(block);
    auto* again = static_cast<unsigned char*>(AllocateZeroed(kItemBlock, 1));
    ASSERT_NE(again, nullptr);
    const std::vector<unsigned char> zeros(kItemBlock, 0);
    EXPECT_EQ(std::memcmp(again, zeros.data(), kItemBlock), 0);
    Free(again);
  }
}

// Each call for the system's pages is refused in turn: a large block is
// still given, zeroed, from the heap; a growth that is refused leaves the
// block as it was; a block given back whose pages cannot be cleared is not
// handed out again.
TEST(HostBlocksReuse, EveryRefusalOfTheSystemsPagesLeavesTheBlocksWhole) {
  using standin::Fault;
  constexpr std::uint32_t kLarge = 0x100000;
  const long live = standin::testing::LiveBlocks();
  const auto use = [&] {
    auto* block = static_cast<unsigned char*>(AllocateZeroed(1, kLarge));
    if (block == nullptr) return false;
    const std::vector<unsigned char> zeros(kLarge, 0);
    EXPECT_EQ(std::memcmp(block, zeros.data(), kLarge), 0);
    Fill(block, 0, kLarge);
    if (auto* grown = static_cast<unsigned char*>(Resize(block, 2 * kLarge))) block = grown;
    EXPECT_TRUE(Holds(block, kLarge));
    Free(block);
    auto* again = static_cast<unsigned char*>(AllocateZeroed(kLarge, 1));
    if (again == nullptr) return false;
    EXPECT_EQ(std::memcmp(again, zeros.data(), kLarge), 0);
    Free(again);
    return true;
  };
  bool used = false;
  const long calls = testing_support::CallsMadeBy(Fault::SystemPages, [&] { used = use(); });
  ASSERT_TRUE(used);
  if (calls == 0) GTEST_SKIP() << "this build gives every block from the heap: no pages to refuse";
  testing_support::FailEachCallInTurn(
      Fault::SystemPages, calls, [] {}, use, [&](bool used_then) {
        EXPECT_TRUE(used_then);
        EXPECT_EQ(standin::testing::LiveBlocks(), live);
      });
}

// The host's blocks stay below 2 GiB: a request beyond is refused and the
// block being resized stays as it was. A request of no bytes gives a block
// all the same, and freeing null frees nothing.
TEST(HostBlocksLimits, BeyondTwoGibibytesIsRefusedAndNoBytesStillGiveABlock) {
  const long live = standin::testing::LiveBlocks();
  EXPECT_EQ(AllocateZeroed(0x10000, 0x8000), nullptr);
  void* const block = AllocateZeroed(4, 1);
  ASSERT_NE(block, nullptr);
  std::memcpy(block, "abcd", 4);
  EXPECT_EQ(Resize(block, 0x80000000u), nullptr);
  EXPECT_EQ(std::memcmp(block, "abcd", 4), 0);

  void* const none = AllocateZeroed(0, 16);
  void* const resized_none = Resize(nullptr, 0);
  EXPECT_NE(none, nullptr);
  EXPECT_NE(resized_none, nullptr);
  EXPECT_EQ(standin::testing::LiveBlocks(), live + 3);
  for (void* b : {none, resized_none, block, static_cast<void*>(nullptr)}) Free(b);
  EXPECT_EQ(standin::testing::LiveBlocks(), live);
}

TEST(HostBlocksRoom, TheRoomBeyondTheSizeAskedForIsOutOfBounds) {
#if defined(KORPUS_ASAN)
  auto* block = static_cast<char*>(AllocateZeroed(1, 100));
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(__asan_address_is_poisoned(block + 100));
  block = static_cast<char*>(Resize(block, 101));  // moves, with room
  ASSERT_NE(block, nullptr);
  EXPECT_FALSE(__asan_address_is_poisoned(block + 100));
  EXPECT_TRUE(__asan_address_is_poisoned(block + 101)) << "room past the size asked for";
  block = static_cast<char*>(Resize(block, 150));  // in place
  EXPECT_FALSE(__asan_address_is_poisoned(block + 149));
  EXPECT_TRUE(__asan_address_is_poisoned(block + 150));
  block = static_cast<char*>(Resize(block, 50));
  EXPECT_TRUE(__asan_address_is_poisoned(block + 50)) << "a shrunk block ends where it was asked to";
  Free(block);
#else
  GTEST_SKIP() << "only the address-sanitizer build can see the bounds";
#endif
}

}  // namespace
