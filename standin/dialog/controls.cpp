#include "standin/dialog/controls.h"

#include <map>

#include "standin/entries.h"
#include "standin/plugin_callbacks.h"

namespace standin {

namespace {

class FreeStandingStates final : public ControlStates {
 public:
  std::uint16_t Get(std::int32_t id) const override {
    const auto found = words_.find(id);
    return found == words_.end() ? 0 : found->second;
  }
  void Set(std::int32_t id, std::uint16_t word) override { words_[id] = word; }

 private:
  std::map<std::int32_t, std::uint16_t> words_;
};

FreeStandingStates& FreeStanding() {
  static FreeStandingStates states;
  return states;
}

ControlStates* current = nullptr;

}  // namespace

ControlStates& CurrentControlStates() { return current != nullptr ? *current : FreeStanding(); }

void SetCurrentControlStates(ControlStates* states) { current = states; }

namespace testing {

void SetControlState(std::int32_t id, std::uint16_t word) { CurrentControlStates().Set(id, word); }
std::uint16_t ControlStateOf(std::int32_t id) { return CurrentControlStates().Get(id); }

}  // namespace testing

namespace entry {

// Setting the dialog's redraw bit redraws at once, asking for the rows.
std::uint16_t KORPUS_CALLEE ControlState(std::int32_t id, std::uint32_t mask, std::int32_t on) {
  return EntryCallingBack([&] {
    ControlStates& states = CurrentControlStates();
    std::uint16_t word = states.Get(id);
    const auto bits = static_cast<std::uint16_t>(mask);
    if (bits != 0) {
      word = on != 0 ? static_cast<std::uint16_t>(word | bits) : static_cast<std::uint16_t>(word & ~bits);
      states.Set(id, word);
    }
    return word;
  });
}

}  // namespace entry

}  // namespace standin
