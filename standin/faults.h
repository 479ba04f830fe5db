// Fault injection: tests make the n-th operation of a kind fail, so that
// every failure path of a caller can be reached.
#pragma once

#include <cstdint>

namespace standin {

enum class Fault : std::uint8_t {
  Allocation,     // allocation and resize of host blocks
  StreamWrite,    // writes to streams from the stream-open entry
  IniWrite,       // writes through the INI access
  IniRead,        // reads through the INI access (a file that cannot be read)
  DocumentStore,  // the document store refuses
  IniDisk,        // the INI files' system calls: open, read, write, sync, link, rename
  DatabaseIo,     // the database file's reads, writes, truncations, syncs and size queries (never its locks)
  SystemPages,    // fresh pages from the system for large blocks (Linux only)
  Count_
};

// True when this call of the kind is the one chosen to fail. Every call
// counts, failed or not.
bool ShouldFail(Fault kind);

}  // namespace standin
