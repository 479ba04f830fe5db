// The block of positions: growing it as positions are added, and taking a
// position out of the list.
#include <cstring>

#include "host/korpus/entries.h"
#include "verify/dialog/zrob_prufacje.h"
#include "verify/model/fields.h"

namespace verify {

namespace {

// The host's blocks stay below 2 GiB.
constexpr std::int64_t kMostPositions = 0x7FFFFFFF / static_cast<std::int64_t>(sizeof(Position));

}  // namespace

void CZrobPrufacje::AddPosition(const char* name, const char* symbol, std::int32_t counted) {
  const std::int64_t room = std::int64_t{count_} + 1;
  if (count_ < 0 || room > kMostPositions) return;
  void* block = korpus::Resize(positions_, static_cast<std::uint32_t>(room * std::int64_t{sizeof(Position)}));
  if (block == nullptr) return;
  positions_ = static_cast<Position*>(block);
  capacity_ = static_cast<std::int32_t>(room);
  Position& added = positions_[count_++];
  fields::Store(added.symbol, symbol != nullptr ? fields::Text(symbol, sizeof added.symbol) : "");
  fields::Store(added.name, name != nullptr ? fields::Text(name, sizeof added.name) : "");
  added.counted = counted;
  added.invoiced = 0;
  ++counters_.new_goods;
}

void CZrobPrufacje::RemovePosition(std::int32_t index) {
  if (positions_ == nullptr || index < 0 || index >= count_) return;
  std::memmove(positions_ + index, positions_ + index + 1, sizeof(Position) * static_cast<std::size_t>(count_ - index - 1));
  std::memset(positions_ + count_ - 1, 0, sizeof(Position));
  --count_;
}

bool CZrobPrufacje::ReservePositions(std::int32_t room) {
  const std::int32_t held = positions_ == nullptr ? 0 : (capacity_ > count_ ? capacity_ : count_);
  if (room <= held) return true;
  if (room > kMostPositions) return false;
  // Grown by half at least, so that filling it one position at a time does
  // not copy the block over and over.
  std::int64_t wanted = std::int64_t{held} + held / 2;
  if (wanted < room) wanted = room;
  if (wanted > kMostPositions) wanted = kMostPositions;
  void* block = korpus::Resize(positions_, static_cast<std::uint32_t>(wanted * std::int64_t{sizeof(Position)}));
  if (block == nullptr) return false;
  positions_ = static_cast<Position*>(block);
  // Like the block a check starts with, the new room is zero-filled.
  std::memset(positions_ + held, 0, sizeof(Position) * static_cast<std::size_t>(wanted - held));
  capacity_ = static_cast<std::int32_t>(wanted);
  return true;
}

}  // namespace verify
