// The INI access (entry 41399) as the host program and tests see it: files
// are kept parsed in memory and reach the disk only at flush points, each
// flush replacing the whole file at once, so a killed process leaves the
// last flushed state. A read flushes its file first. A file changed or
// removed behind the cache's back is loaded again at its next use, and its
// unflushed changes are dropped: they were made before that change.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "abi/host_codes.h"

namespace standin {

// A plain "%s" read stores at most this many characters and a NUL.
using korpus_abi::kIniPlainTextLimit;

// Writes every file with pending changes. The host calls it when a dialog
// run ends and when the plug-in's entry returns; it also runs at exit.
// False when some file could not be written; its changes stay pending and
// the next flush tries again.
bool FlushIniFiles();

namespace testing {
// Drops every cached file without writing it, as a new process would start.
void ForgetIniFiles();

// The INI access keeps its files in memory by name instead of on disk, so
// that a fuzz target makes no system call per key; switching either way
// forgets the cache and empties the memory. A relative name is one file
// whatever the current directory.
void KeepIniFilesInMemory(bool on);
bool IniFilesInMemory();
void ClearMemoryIniFiles();
void PutMemoryIniFile(const char* name, std::string bytes);
std::optional<std::string> MemoryIniFile(const char* name);
// False when the memory is not in use or holds no such file.
bool RemoveMemoryIniFile(const char* name);
}  // namespace testing

}  // namespace standin
