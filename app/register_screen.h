// The picture of an invoice register: title, column header, one row per
// invoice of the page, the current row marked, and the key bar.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "app/register_list.h"
#include "standin/dialog/screen.h"

namespace app {

// What the register shows beside each invoice: "R" where a report of it is
// stored, "W" where its check is saved to be finished.
struct RegisterMarks {
  std::set<std::int64_t> reported;  // invoice ids
  std::string resumable;            // the saved check's invoice number, UTF-8; empty: none
};

// Rows that a register page has on a screen of that height.
int RegisterPageRows(int screen_height);

// The smallest screen on which the key bar and a few rows fit.
inline constexpr standin::ScreenSize kRegisterMinimumSize{80, 8};

// The check's dialog as the plug-in lays it out: a smaller terminal could
// not show it, so the check does not start there.
inline constexpr standin::ScreenSize kCheckMinimumSize{82, 21};

// "jest 80 × 24, potrzeba co najmniej 82 × 21.": what a terminal too small
// for a picture says of the sizes.
// A box's text is Mazovia, which has no multiplication sign.
std::string SizesText(standin::ScreenSize terminal, standin::ScreenSize needed, std::string_view times = "×");

// An empty register names its database file.
void DrawRegister(const RegisterList& list, const RegisterMarks& marks, const std::string& database,
                  standin::Screen& screen);

}  // namespace app
