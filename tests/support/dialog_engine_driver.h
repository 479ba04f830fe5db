// A stand-in for the plug-in's dialog object and a front end that feeds
// keys, for driving the dialog engine through its entries as the plug-in
// does: a WDialogBase with its own slots 1 (events) and 22 (rows), two
// delegates, and 52026.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "abi/codepage.h"
#include "abi/records.h"
#include "standin/dialog/delegates.h"
#include "standin/dialog/keys.h"
#include "standin/dialog/screen.h"
#include "standin/entries.h"
#include "standin/recording_frontend.h"
#include "verify/dialog/dialog_template.h"

namespace engine_test {

using standin::Key;
using standin::KeyName;

struct Event {
  std::int16_t code;
  std::int16_t kind;
  friend bool operator==(const Event&, const Event&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const Event& e) {
  return out << "{" << e.code << ", " << e.kind << "}";
}

// A dialog object as the plug-in lays it: the base first, its class table
// the host's with slots 1 and 22 replaced.
struct FakeDialog {
  korpus_abi::WDialogBase base;
  std::vector<Event> events;
  std::function<std::int32_t(std::int16_t code, std::int16_t kind)> on_event;
  std::vector<std::string> rows;  // Mazovia
  int nulls_to_give = 0;          // the next row requests answer null
  std::vector<std::int32_t> row_requests;
  char row_text[256] = {};
  void* table[korpus_abi::kClassTableSlots] = {};

  static std::int32_t KORPUS_METHOD EventSlot(void* self, std::int16_t code, std::int16_t kind) {
    auto* dialog = static_cast<FakeDialog*>(self);
    dialog->events.push_back({code, kind});
    return dialog->on_event ? dialog->on_event(code, kind) : 0;
  }

  static std::intptr_t KORPUS_METHOD RowSlot(void* self, std::int16_t row, std::int32_t) {
    auto* dialog = static_cast<FakeDialog*>(self);
    dialog->row_requests.push_back(row);
    if (row < 0) return static_cast<std::intptr_t>(dialog->rows.size());
    if (dialog->nulls_to_give > 0) {
      --dialog->nulls_to_give;
      return 0;
    }
    if (static_cast<std::size_t>(row) >= dialog->rows.size()) return 0;
    std::strncpy(dialog->row_text, dialog->rows[static_cast<std::size_t>(row)].c_str(), sizeof dialog->row_text - 1);
    return reinterpret_cast<std::intptr_t>(dialog->row_text);
  }

  FakeDialog() {
    standin::entry::DialogConstruct(this);
    const auto base_table = standin::dialog::BaseClassTable();
    for (std::size_t i = 0; i < base_table.size(); ++i) table[i] = base_table[i];
    table[1] = reinterpret_cast<void*>(&EventSlot);
    table[22] = reinterpret_cast<void*>(&RowSlot);
    base.class_table = table;
  }
  ~FakeDialog() { standin::entry::DialogDestruct(this); }
  FakeDialog(const FakeDialog&) = delete;
  FakeDialog& operator=(const FakeDialog&) = delete;

  // The events after the opening ones (-2 and the first focus).
  std::vector<Event> EventsAfterOpening() const {
    return events.size() <= 2 ? std::vector<Event>{} : std::vector<Event>(events.begin() + 2, events.end());
  }
};

// One step of a run: a key, or a look at the engine between keys (inside
// the dialog, so the engine's entries answer).
struct Step {
  Key key{};
  std::function<void()> probe;
};

inline Step K(KeyName name) { return {standin::NamedKey(name), {}}; }
inline Step Alt(char letter) { return {standin::AltKey(static_cast<char32_t>(letter)), {}}; }
inline Step Probe(std::function<void()> probe) { return {standin::NoKey(), std::move(probe)}; }

inline std::vector<Step> Type(std::string_view utf8) {
  std::vector<Step> steps;
  for (std::size_t at = 0; at < utf8.size();) steps.push_back({standin::CharKey(codepage::DecodeUtf8(utf8, at)), {}});
  return steps;
}

inline std::vector<Step> Join(std::initializer_list<std::vector<Step>> parts) {
  std::vector<Step> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class KeyFrontEnd : public standin::RecordingFrontEnd {
 public:
  explicit KeyFrontEnd(standin::ScreenSize size = {82, 21}) : size_(size) {}

  void Script(std::vector<Step> steps) { steps_.assign(steps.begin(), steps.end()); }

  Key NextKey() override {
    while (!steps_.empty()) {
      Step step = std::move(steps_.front());
      steps_.pop_front();
      if (step.probe) {
        step.probe();
        continue;
      }
      return step.key;
    }
    return standin::NoKey();
  }
  void Present(const standin::Screen& screen) override {
    last_ = screen;
    ++presents_;
  }
  standin::ScreenSize Size() const override { return size_; }

  const standin::Screen& last() const { return last_; }
  int presents() const { return presents_; }

 private:
  standin::ScreenSize size_;
  std::deque<Step> steps_;
  standin::Screen last_;
  int presents_ = 0;
};

// The plug-in's side of a run: delegates for 20936 and 20907, then 52026.
inline std::int32_t RunDialog(FakeDialog& dialog, void* values, const void* dialog_template = nullptr) {
  alignas(void*) std::uint8_t row_delegate[korpus_abi::kDelegateSize];
  alignas(void*) std::uint8_t event_delegate[korpus_abi::kDelegateSize];
  standin::entry::DelegateMake(row_delegate, &dialog, reinterpret_cast<void*>(&standin::entry::DialogRowText));
  standin::entry::DelegateMake(event_delegate, &dialog, reinterpret_cast<void*>(&standin::entry::DialogDeliverEvent));
  using Callable = void*(KORPUS_METHOD*)(void*);
  auto callable_of = [](void* delegate) {
    void* const* table = nullptr;
    std::memcpy(&table, delegate, sizeof table);
    return reinterpret_cast<Callable>(table[1])(delegate);
  };
  const std::int32_t result = standin::entry::RunDialog(
      dialog_template != nullptr ? dialog_template : verify::DialogTemplate().data(), 1, values,
      callable_of(row_delegate), callable_of(event_delegate));
  standin::entry::DelegateRelease(row_delegate);
  standin::entry::DelegateRelease(event_delegate);
  return result;
}

// The value buffer of the check dialog.
#pragma pack(push, 1)
struct Values {
  std::uint16_t quantities_option = 0;
  char symbol[17] = {};
  std::int32_t quantity = 0;
  std::uint16_t list = 0;
  std::uint16_t no_additions = 0;
};
#pragma pack(pop)
static_assert(sizeof(Values) == 27);

inline std::string Symbol() { return static_cast<const char*>(standin::entry::ValueAddress(3)); }
inline std::int32_t Quantity() { return *static_cast<const std::int32_t*>(standin::entry::ValueAddress(5)); }

// The characters of `width` cells of a screen row, in UTF-8.
inline std::string Cells(const standin::Screen& screen, int column, int row, int width) {
  std::string out;
  for (int c = column; c < column + width; ++c) codepage::AppendUtf8(out, screen.At(c, row).ch);
  return out;
}

}  // namespace engine_test
