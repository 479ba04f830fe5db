// Controls that tests and the host program use to set up and watch the
// stand-in: hidden entries, fault injection, lookup counts.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "standin/faults.h"

namespace standin {

// The address of an entry by ordinal, as the export lookup answers it
// (hidden entries answer null); only the export lookup counts.
void* AddressOf(std::uint32_t ordinal);
void CountLookup(std::uint32_t ordinal);

namespace testing {

// Entries that the export lookup pretends not to have.
void HideEntry(std::uint16_t ordinal);
void ShowAllEntries();

// How often an ordinal was looked up.
int LookupCount(std::uint16_t ordinal);

std::vector<std::uint16_t> ExportedOrdinals();

// The n-th call of the kind from now on fails (n = 1: the next one);
// n <= 0 clears it.
void FailNth(Fault kind, long n);
// The n-th call of the kind from now on and every later one fail (a disk
// that fills up, memory that runs out); n <= 0 clears it.
void FailFrom(Fault kind, long n);
void FailAlways(Fault kind, bool on);
long CallCount(Fault kind);
void ClearFaults();

// Host blocks allocated (or resized from null) and not yet freed.
long LiveBlocks();

// The text comparison entry folds ASCII letters to one case, a collation
// other than byte order, so that a test can tell the host's comparison
// from a plug-in comparing bytes itself; off again: byte order.
void CompareTextIgnoringCase(bool on);

// How many times a database store's scan took the goods and codes that
// were read ahead for it.
long TablesTakenFromReadingAhead();

// Called by the thread that reads ahead, inside its snapshot, between the
// goods and the codes; empty: nothing.
std::function<void()>& WhileReadingAhead();

}  // namespace testing

}  // namespace standin
