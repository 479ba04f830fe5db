// The picture of an invoice register: title, column header, one row per
// invoice of the page, the current row marked, and the key bar.
#pragma once

#include "app/register_list.h"
#include "korpus/dialog/screen.h"

namespace app {

// Rows that a register page has on a screen of that height.
int RegisterPageRows(int screen_height);

// The smallest screen on which the key bar and a few rows fit.
inline constexpr standin::ScreenSize kRegisterMinimumSize{80, 8};

void DrawRegister(const RegisterList& list, standin::Screen& screen);

}  // namespace app
