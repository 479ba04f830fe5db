#include "verify/model/text_index.h"

#include <cstring>
#include <new>

namespace verify {

namespace {

std::uint64_t Hash(std::string_view text) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3u;
  }
  return hash ^ (hash >> 29);
}

}  // namespace

ShortTextIndex::~ShortTextIndex() { delete[] slots_; }

bool ShortTextIndex::Reserve(std::size_t texts) {
  delete[] slots_;
  slots_ = nullptr;
  used_ = 0;
  room_ = 0;
  // At most 70 % full, so that a miss ends after a few slots.
  std::size_t capacity = 16;
  while (capacity * 7 < texts * 10) capacity *= 2;
  slots_ = new (std::nothrow) Slot[capacity];
  if (slots_ == nullptr) return false;
  for (std::size_t i = 0; i < capacity; ++i) slots_[i].number = kAbsent;
  mask_ = capacity - 1;
  room_ = texts;
  return true;
}

const ShortTextIndex::Slot* ShortTextIndex::Locate(std::string_view text) const {
  for (std::size_t at = static_cast<std::size_t>(Hash(text)) & mask_;; at = (at + 1) & mask_) {
    const Slot& slot = slots_[at];
    if (slot.number == kAbsent) return &slot;
    if (slot.length == text.size() && std::memcmp(slot.text, text.data(), text.size()) == 0) return &slot;
  }
}

std::int32_t ShortTextIndex::Add(std::string_view text, std::int32_t number) {
  if (slots_ == nullptr || text.size() > kLongest) return kAbsent;
  Slot& slot = const_cast<Slot&>(*Locate(text));
  if (slot.number != kAbsent) return slot.number;
  if (used_ == room_) return kAbsent;
  slot.number = number;
  slot.length = static_cast<std::uint8_t>(text.size());
  std::memcpy(slot.text, text.data(), text.size());
  ++used_;
  return number;
}

std::int32_t ShortTextIndex::Find(std::string_view text) const {
  if (slots_ == nullptr || text.size() > kLongest) return kAbsent;
  return Locate(text)->number;
}

}  // namespace verify
