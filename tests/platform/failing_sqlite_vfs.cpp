#include "failing_sqlite_vfs.h"

#include <sqlite3.h>

#include <atomic>

namespace qxvb::test {

namespace {

std::atomic<int> writesLeft{0};
std::atomic<int> failures{0};
sqlite3_vfs* realVfs = nullptr;
sqlite3_vfs failingVfs;
sqlite3_io_methods failingMethods;

// Our file holds the real VFS's file right behind it.
struct ShimFile {
  sqlite3_file base;
  sqlite3_file* real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};

sqlite3_file* realOf(sqlite3_file* file) {
  return reinterpret_cast<ShimFile*>(file)->real();
}

int shimClose(sqlite3_file* f) {
  return realOf(f)->pMethods->xClose(realOf(f));
}
int shimRead(sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
  return realOf(f)->pMethods->xRead(realOf(f), b, n, o);
}
int shimWrite(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
  if (writesLeft.fetch_sub(1) <= 0) {
    ++failures;
    return SQLITE_IOERR_WRITE;
  }
  return realOf(f)->pMethods->xWrite(realOf(f), b, n, o);
}
int shimTruncate(sqlite3_file* f, sqlite3_int64 s) {
  return realOf(f)->pMethods->xTruncate(realOf(f), s);
}
int shimSync(sqlite3_file* f, int flags) {
  return realOf(f)->pMethods->xSync(realOf(f), flags);
}
int shimFileSize(sqlite3_file* f, sqlite3_int64* s) {
  return realOf(f)->pMethods->xFileSize(realOf(f), s);
}
int shimLock(sqlite3_file* f, int l) {
  return realOf(f)->pMethods->xLock(realOf(f), l);
}
int shimUnlock(sqlite3_file* f, int l) {
  return realOf(f)->pMethods->xUnlock(realOf(f), l);
}
int shimCheckReservedLock(sqlite3_file* f, int* r) {
  return realOf(f)->pMethods->xCheckReservedLock(realOf(f), r);
}
int shimFileControl(sqlite3_file* f, int op, void* a) {
  return realOf(f)->pMethods->xFileControl(realOf(f), op, a);
}
int shimSectorSize(sqlite3_file* f) {
  return realOf(f)->pMethods->xSectorSize(realOf(f));
}
int shimDeviceCharacteristics(sqlite3_file* f) {
  return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f));
}
int shimShmMap(sqlite3_file* f, int i, int s, int e, void volatile** p) {
  return realOf(f)->pMethods->xShmMap(realOf(f), i, s, e, p);
}
int shimShmLock(sqlite3_file* f, int o, int n, int flags) {
  return realOf(f)->pMethods->xShmLock(realOf(f), o, n, flags);
}
void shimShmBarrier(sqlite3_file* f) {
  realOf(f)->pMethods->xShmBarrier(realOf(f));
}
int shimShmUnmap(sqlite3_file* f, int d) {
  return realOf(f)->pMethods->xShmUnmap(realOf(f), d);
}

int shimOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
  sqlite3_file* real = realOf(file);
  const int rc = realVfs->xOpen(realVfs, name, real, flags, outFlags);
  // Without methods SQLite calls no xClose; the real file has none then.
  file->pMethods = real->pMethods != nullptr ? &failingMethods : nullptr;
  return rc;
}

}  // namespace

FailingSqliteWrites::FailingSqliteWrites(int allowed) {
  writesLeft = allowed;
  failures = 0;
  realVfs = sqlite3_vfs_find(nullptr);
  failingVfs = *realVfs;
  failingVfs.zName = "qxvb-failing-writes";
  failingVfs.szOsFile = static_cast<int>(sizeof(ShimFile)) + realVfs->szOsFile;
  failingVfs.xOpen = shimOpen;
  failingMethods = sqlite3_io_methods{};
  failingMethods.iVersion = 2;
  failingMethods.xClose = shimClose;
  failingMethods.xRead = shimRead;
  failingMethods.xWrite = shimWrite;
  failingMethods.xTruncate = shimTruncate;
  failingMethods.xSync = shimSync;
  failingMethods.xFileSize = shimFileSize;
  failingMethods.xLock = shimLock;
  failingMethods.xUnlock = shimUnlock;
  failingMethods.xCheckReservedLock = shimCheckReservedLock;
  failingMethods.xFileControl = shimFileControl;
  failingMethods.xSectorSize = shimSectorSize;
  failingMethods.xDeviceCharacteristics = shimDeviceCharacteristics;
  failingMethods.xShmMap = shimShmMap;
  failingMethods.xShmLock = shimShmLock;
  failingMethods.xShmBarrier = shimShmBarrier;
  failingMethods.xShmUnmap = shimShmUnmap;
  sqlite3_vfs_register(&failingVfs, 1);
}

FailingSqliteWrites::~FailingSqliteWrites() {
  sqlite3_vfs_unregister(&failingVfs);
  sqlite3_vfs_register(realVfs, 1);
}

int FailingSqliteWrites::failedWrites() const {
  return failures;
}

}  // namespace qxvb::test
