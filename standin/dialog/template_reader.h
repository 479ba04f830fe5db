// Reading a dialog template in the host's format: a header, the dialog
// record and the control records. The records' texts stay in the caller's
// bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "abi/dialog_codes.h"

namespace standin::dialog {

using namespace korpus_abi::record_kinds;

// Style bit of the control that takes the focus when the dialog opens.
inline constexpr std::uint16_t kStyleFirstFocus = 0x8000;

// An input line's own words: a text line of at most max_length characters,
// or a number with decimals places and bounds (in units of the last place).
struct InputSpec {
  bool numeric = false;
  std::uint16_t max_length = 0;
  std::uint16_t decimals = 0;
  std::int32_t low = 0;
  std::int32_t high = 0;
};

struct ControlRecord {
  std::uint16_t kind = 0;
  std::int16_t id = -1;
  std::uint16_t style = 0;
  std::uint16_t hot_key = 0;
  std::uint16_t column = 0;
  std::uint16_t row = 0;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::string_view text;  // Mazovia, without its NUL
  InputSpec input;        // input lines only
};

struct TemplateView {
  ControlRecord dialog;
  std::vector<ControlRecord> controls;
};

// Null when the bytes do not hold a whole, consistent template: a record or
// a text reaching past the length that the header gives, an unknown record
// layout, or fewer records than the header counts.
std::optional<TemplateView> ReadTemplate(const void* bytes);

}  // namespace standin::dialog
