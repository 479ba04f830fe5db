// The host program at a terminal: the registers and the plug-in's dialog
// for a person at a keyboard or a scanner.
#pragma once

#include <string>

#include "app/options.h"

namespace app {

// Runs the program on the terminal of standard input and output until the
// user quits. What the program reports (the plug-in's load and unload) is
// printed once the terminal is given back. The exit code: 0, or 2 when the
// terminal cannot be used.
int RunAtTerminal(const Options& options, const std::string& plugin_path);

}  // namespace app
