#include <fcntl.h>
#include <unistd.h>

#include "anchors.h"

int anchorOpenExport(const char* database, sqlite3** db, sqlite3_stmt** select) {
  if (sqlite3_open_v2(database, db, SQLITE_OPEN_READONLY, NULL) != SQLITE_OK) return 1;
  return sqlite3_prepare_v2(*db, "SELECT Data FROM Files WHERE Name = ?1", -1, select, NULL);
}

int anchorExportOne(sqlite3_stmt* select, const char* name, const char* target) {
  int failed = 1;
  sqlite3_bind_text(select, 1, name, -1, SQLITE_STATIC);
  if (sqlite3_step(select) == SQLITE_ROW) {
    const void* data = sqlite3_column_blob(select, 0);
    const int size = sqlite3_column_bytes(select, 0);
    const int fd = open(target, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd >= 0) {
      failed = write(fd, data, (size_t)size) != size;
      failed |= close(fd) != 0;
    }
  }
  sqlite3_reset(select);
  return failed;
}
