// How the roles of the screen's cells look on a terminal.
#pragma once

#include <ncursesw/curses.h>

#include "standin/dialog/screen.h"

namespace terminal {

struct Look {
  attr_t attributes = A_NORMAL;
  short pair = 0;
};

// Sets up the colour pairs; false on a terminal without colours, whose
// roles are then told apart by attributes alone.
bool StartColours();

Look LookOf(standin::Role role, bool colours);

}  // namespace terminal
