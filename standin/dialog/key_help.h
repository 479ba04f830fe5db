// The keys of the host's screens, as F1 shows them in a box over the
// screen. Texts are Mazovia, one key a line, aligned with blanks (a script
// prints a box's text without its tabs).
#pragma once

#include "standin/frontend.h"

namespace standin::dialog {

// In a dialog the engine runs (the check of an invoice).
extern const char* const kDialogKeyHelp;

// The box of a help text.
BoxRequest KeyHelpBox(const char* mazovia_text);

}  // namespace standin::dialog
