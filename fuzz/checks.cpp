#include "fuzz/checks.h"

#include <cstring>

namespace fuzz {

namespace {

// Enough rows to reach past the first screens without making a long list
// cost more than its import.
constexpr std::int32_t kRowsLookedAt = 300;

}  // namespace

std::string ShowEverything(verify::CZrobPrufacje& check, reliability::User& user) {
  check.SortForDisplay();
  if (check.RowText(-1) != check.count()) return "row -1 does not answer the count";
  const std::int32_t rows = check.count() < kRowsLookedAt ? check.count() : kRowsLookedAt;
  for (std::int32_t row = 0; row < rows; ++row) {
    std::intptr_t text = check.RowText(static_cast<std::int16_t>(row));
    if (text == 0) text = check.RowText(static_cast<std::int16_t>(row));
    if (text == 0) return "row " + std::to_string(row) + " has no text";
    if (::strnlen(reinterpret_cast<const char*>(text), 256) == 256) {
      return "the text of row " + std::to_string(row) + " runs past its field";
    }
  }
  check.WriteReport();
  user.Look("after the report");
  return reliability::ListFault(check);
}

std::string BoxesFault(const reliability::User& user) {
  for (const reliability::SeenBox& box : user.boxes()) {
    if (box.caption != "Uwaga" && box.caption != "Błąd" && box.caption != "Blokada" && box.caption != "Podsumowanie") {
      return "a box captioned \"" + box.caption + "\"";
    }
  }
  return "";
}

}  // namespace fuzz
