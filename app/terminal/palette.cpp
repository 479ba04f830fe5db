#include "app/terminal/palette.h"

namespace terminal {

namespace {

using standin::Role;

// One colour pair per role that has colours of its own.
enum Pair : short {
  kFrame = 1,
  kTitle,
  kCurrent,
  kMarked,
  kHot,
  kInput,
  kSelection,
  kGreen,
  kRed,
  kYellow,
};

}  // namespace

bool StartColours() {
  if (!has_colors() || start_color() == ERR) return false;
  // The terminal's own background shows through where a role has none.
  const short back = use_default_colors() == OK ? -1 : COLOR_BLACK;
  init_pair(kFrame, COLOR_CYAN, back);
  init_pair(kTitle, COLOR_YELLOW, back);
  init_pair(kCurrent, COLOR_BLACK, COLOR_CYAN);
  init_pair(kMarked, COLOR_BLACK, COLOR_WHITE);
  init_pair(kHot, COLOR_YELLOW, back);
  init_pair(kInput, COLOR_WHITE, COLOR_BLUE);
  init_pair(kSelection, COLOR_BLUE, COLOR_WHITE);
  init_pair(kGreen, COLOR_GREEN, back);
  init_pair(kRed, COLOR_RED, back);
  init_pair(kYellow, COLOR_YELLOW, back);
  return true;
}

Look LookOf(Role role, bool colours) {
  if (!colours) {
    switch (role) {
      case Role::Title: return {A_BOLD, 0};
      case Role::Current: return {A_REVERSE, 0};
      case Role::Marked: return {A_REVERSE | A_DIM, 0};
      case Role::Disabled: return {A_DIM, 0};
      case Role::Hot: return {A_BOLD | A_UNDERLINE, 0};
      case Role::Input: return {A_UNDERLINE, 0};
      case Role::Selection: return {A_REVERSE, 0};
      case Role::Header: return {A_BOLD | A_UNDERLINE, 0};
      case Role::RemarkOk: return {A_BOLD, 0};
      case Role::RemarkMuch: return {A_BOLD | A_REVERSE, 0};
      case Role::RemarkLittle: return {A_UNDERLINE, 0};
      case Role::RemarkUnchecked: return {A_DIM, 0};
      default: return {A_NORMAL, 0};
    }
  }
  switch (role) {
    case Role::Frame: return {A_NORMAL, kFrame};
    case Role::Title: return {A_BOLD, kTitle};
    case Role::Current: return {A_NORMAL, kCurrent};
    case Role::Marked: return {A_NORMAL, kMarked};
    case Role::Disabled: return {A_DIM, 0};
    case Role::Hot: return {A_BOLD, kHot};
    case Role::Input: return {A_NORMAL, kInput};
    case Role::Selection: return {A_NORMAL, kSelection};
    case Role::Header: return {A_BOLD | A_UNDERLINE, 0};
    case Role::RemarkOk: return {A_BOLD, kGreen};
    case Role::RemarkMuch: return {A_BOLD, kRed};
    case Role::RemarkLittle: return {A_BOLD, kYellow};
    case Role::RemarkUnchecked: return {A_DIM, 0};
    default: return {A_NORMAL, 0};
  }
}

}  // namespace terminal
