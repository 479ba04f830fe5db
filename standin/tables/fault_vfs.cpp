#include "standin/tables/fault_vfs.h"

#include <sqlite3.h>

#include "standin/faults.h"

namespace standin::tables {

namespace {

// The real file follows ours in the same allocation.
struct File {
  sqlite3_file base;
  sqlite3_file* real;
};

sqlite3_vfs* Real(sqlite3_vfs* vfs) { return static_cast<sqlite3_vfs*>(vfs->pAppData); }
sqlite3_file* Real(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real; }
const sqlite3_io_methods& Methods(sqlite3_file* file) { return *Real(file)->pMethods; }

bool Injected() { return ShouldFail(Fault::DatabaseIo); }

int Close(sqlite3_file* file) { return Methods(file).xClose(Real(file)); }
int Read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
  return Injected() ? SQLITE_IOERR_READ : Methods(file).xRead(Real(file), buffer, amount, offset);
}
int Write(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
  return Injected() ? SQLITE_IOERR_WRITE : Methods(file).xWrite(Real(file), buffer, amount, offset);
}
int Truncate(sqlite3_file* file, sqlite3_int64 size) {
  return Injected() ? SQLITE_IOERR_TRUNCATE : Methods(file).xTruncate(Real(file), size);
}
int Sync(sqlite3_file* file, int flags) {
  return Injected() ? SQLITE_IOERR_FSYNC : Methods(file).xSync(Real(file), flags);
}
int FileSize(sqlite3_file* file, sqlite3_int64* size) {
  return Injected() ? SQLITE_IOERR_FSTAT : Methods(file).xFileSize(Real(file), size);
}
int Lock(sqlite3_file* file, int level) { return Methods(file).xLock(Real(file), level); }
int Unlock(sqlite3_file* file, int level) { return Methods(file).xUnlock(Real(file), level); }
int CheckReservedLock(sqlite3_file* file, int* out) { return Methods(file).xCheckReservedLock(Real(file), out); }
int FileControl(sqlite3_file* file, int op, void* argument) {
  return Methods(file).xFileControl(Real(file), op, argument);
}
int SectorSize(sqlite3_file* file) { return Methods(file).xSectorSize(Real(file)); }
int DeviceCharacteristics(sqlite3_file* file) { return Methods(file).xDeviceCharacteristics(Real(file)); }
// The shared memory of a WAL file; the system's own VFS has it.
int ShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** out) {
  return Methods(file).xShmMap(Real(file), region, size, extend, out);
}
int ShmLock(sqlite3_file* file, int offset, int count, int flags) {
  return Methods(file).xShmLock(Real(file), offset, count, flags);
}
void ShmBarrier(sqlite3_file* file) { Methods(file).xShmBarrier(Real(file)); }
int ShmUnmap(sqlite3_file* file, int remove) { return Methods(file).xShmUnmap(Real(file), remove); }

// Version 2: no memory-mapped reads, so that every read is one that can fail.
constexpr sqlite3_io_methods kMethods = {
    2,     &Close,      &Read,       &Write,       &Truncate,  &Sync,    &FileSize,
    &Lock, &Unlock,     &CheckReservedLock, &FileControl, &SectorSize, &DeviceCharacteristics,
    &ShmMap, &ShmLock, &ShmBarrier, &ShmUnmap, nullptr, nullptr,
};

int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* out_flags) {
  auto* ours = reinterpret_cast<File*>(file);
  ours->real = reinterpret_cast<sqlite3_file*>(ours + 1);
  const int rc = Real(vfs)->xOpen(Real(vfs), name, ours->real, flags, out_flags);
  // SQLite closes a file whose methods are set, even when the open failed.
  ours->base.pMethods = ours->real->pMethods != nullptr ? &kMethods : nullptr;
  return rc;
}
int Delete(sqlite3_vfs* vfs, const char* name, int sync) { return Real(vfs)->xDelete(Real(vfs), name, sync); }
int Access(sqlite3_vfs* vfs, const char* name, int flags, int* out) {
  return Real(vfs)->xAccess(Real(vfs), name, flags, out);
}
int FullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out) {
  return Real(vfs)->xFullPathname(Real(vfs), name, size, out);
}
int Randomness(sqlite3_vfs* vfs, int size, char* out) { return Real(vfs)->xRandomness(Real(vfs), size, out); }
int Sleep(sqlite3_vfs* vfs, int microseconds) { return Real(vfs)->xSleep(Real(vfs), microseconds); }
int CurrentTime(sqlite3_vfs* vfs, double* out) { return Real(vfs)->xCurrentTime(Real(vfs), out); }
int GetLastError(sqlite3_vfs* vfs, int size, char* out) { return Real(vfs)->xGetLastError(Real(vfs), size, out); }

constexpr const char* kName = "korpus-faults";

sqlite3_vfs* Registered() {
  sqlite3_initialize();
  sqlite3_vfs* real = sqlite3_vfs_find(nullptr);
  static sqlite3_vfs vfs = {
      1,       static_cast<int>(sizeof(File)) + real->szOsFile,
      real->mxPathname, nullptr, kName, real, &Open, &Delete, &Access, &FullPathname,
      nullptr, nullptr, nullptr, nullptr,  // no extensions are loaded
      &Randomness, &Sleep, &CurrentTime, &GetLastError, nullptr, nullptr, nullptr, nullptr,
  };
  sqlite3_vfs_register(&vfs, 0);
  return &vfs;
}

}  // namespace

const char* FaultVfs() {
  static sqlite3_vfs* const vfs = Registered();
  return vfs->zName;
}

}  // namespace standin::tables
