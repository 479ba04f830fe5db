// Checks that every fuzz target makes after its work.
#pragma once

#include <string>

#include "fuzz/targets.h"
#include "tests/support/check_harness.h"
#include "verify/dialog/zrob_prufacje.h"

namespace fuzz {

// Sorts the list for display, asks the text of its rows, and writes the
// report (its counters are looked at in the summary box by the user).
// Answers the first broken rule.
std::string ShowEverything(verify::CZrobPrufacje& check, reliability::User& user);

// The INI files of the check in memory from now on, where the plug-in's
// removal of them reaches the memory too; without that, on disk.
void KeepIniFilesInMemory();
// An INI file of the check where the INI access reads it: in memory while
// the files are kept there, else in the current directory.
void PutIniFile(const char* name, Input bytes);
std::string IniFile(const char* name);

// Every box has one of the check's captions.
std::string BoxesFault(const reliability::User& user);

}  // namespace fuzz
