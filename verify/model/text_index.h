// A hash index from short texts (symbols and codes, at most as wide as the
// host's 17-byte fields) to numbers, for answering many look-ups from one
// pass over a list or a table. Its memory is taken without exceptions: a
// caller that gets none goes the long way instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace verify {

class ShortTextIndex {
 public:
  // The longest text kept; a longer one is never found.
  static constexpr std::size_t kLongest = 17;
  static constexpr std::int32_t kAbsent = -1;

  ShortTextIndex() = default;
  ~ShortTextIndex();
  ShortTextIndex(const ShortTextIndex&) = delete;
  ShortTextIndex& operator=(const ShortTextIndex&) = delete;

  // Room for `texts` different texts; false when there is no memory, and
  // the index is then unusable.
  bool Reserve(std::size_t texts);

  // Files `number` under `text` unless a number is filed there already;
  // returns the number that the text now has. kAbsent for a text that is
  // too long, or when the reserved room is used up.
  std::int32_t Add(std::string_view text, std::int32_t number);

  std::int32_t Find(std::string_view text) const;

  std::size_t size() const { return used_; }

 private:
  struct Slot {
    std::int32_t number;  // kAbsent: free
    std::uint8_t length;
    char text[kLongest];
  };

  const Slot* Locate(std::string_view text) const;

  Slot* slots_ = nullptr;
  std::size_t mask_ = 0;
  std::size_t used_ = 0;
  std::size_t room_ = 0;
};

}  // namespace verify
