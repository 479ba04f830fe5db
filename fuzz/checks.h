// Checks that every fuzz target makes after its work.
#pragma once

#include <string>

#include "tests/check_harness.h"
#include "verify/dialog/zrob_prufacje.h"

namespace fuzz {

// Sorts the list for display, asks the text of its rows, and writes the
// report (its counters are looked at in the summary box by the user).
// Answers the first broken rule.
std::string ShowEverything(verify::CZrobPrufacje& check, reliability::User& user);

// Every box has one of the check's captions.
std::string BoxesFault(const reliability::User& user);

}  // namespace fuzz
