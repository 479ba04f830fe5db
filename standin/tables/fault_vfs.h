// The database files reached through SQLite's own VFS, except that the
// reads, writes, syncs, truncations and size queries that fault injection
// chooses fail as a failing disk's would.
#pragma once

namespace standin::tables {

// The name to open a database with; the VFS is registered at the first call.
const char* FaultVfs();

}  // namespace standin::tables
