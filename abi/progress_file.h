// Where the plug-in keeps the saved state of an unfinished check, through
// the host's INI access in the current directory. The host program reads
// the number to mark the invoice whose check can be resumed.
#pragma once

namespace korpus_abi {

inline constexpr const char* kProgressFile = "Niezgodnosci.ini";
inline constexpr const char* kProgressSection = "Nr_faktury";
// The invoice number of the saved check, in Mazovia.
inline constexpr const char* kProgressNumberKey = "Nr fakt.";

}  // namespace korpus_abi
