// The process's heap as heap_peak.cpp counts it (single-threaded use).
#pragma once

#include <cstddef>

namespace heap_peak {

std::size_t Live();
std::size_t Peak();
// The peak from now on starts at what is held now.
void ResetPeak();

}  // namespace heap_peak
