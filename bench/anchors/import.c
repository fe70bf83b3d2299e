#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "anchors.h"

static int readWhole(const char* path, uint8_t** data, size_t* size) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  struct stat info;
  if (fd < 0) return 1;
  if (fstat(fd, &info) != 0) {
    close(fd);
    return 1;
  }
  *size = (size_t)info.st_size;
  *data = malloc(*size + 1);
  size_t done = 0;
  while (*data != NULL && done < *size) {
    const ssize_t n = read(fd, *data + done, *size - done);
    if (n <= 0) break;
    done += (size_t)n;
  }
  close(fd);
  return *data == NULL || done != *size;
}

int anchorImportFiles(const char* database, const char* const* paths, const char* const* names,
                      size_t count) {
  sqlite3* db = NULL;
  sqlite3_stmt* insert = NULL;
  int failed = sqlite3_open_v2(database, &db, SQLITE_OPEN_READWRITE, NULL) != SQLITE_OK;
  failed = failed || sqlite3_prepare_v2(db,
                                        "INSERT INTO Files(Name, WID, Data, Version, Activity, "
                                        "Date) VALUES(?1, 1, ?2, 1, 'A', ?3)",
                                        -1, &insert, NULL) != SQLITE_OK;
  for (size_t i = 0; !failed && i < count; ++i) {
    uint8_t* data = NULL;
    size_t size = 0;
    char date[32];
    const time_t now = time(NULL);
    struct tm local;
    strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", localtime_r(&now, &local));
    failed = readWhole(paths[i], &data, &size);
    failed = failed || sqlite3_exec(db, "BEGIN IMMEDIATE", NULL, NULL, NULL) != SQLITE_OK;
    if (!failed) {
      sqlite3_bind_text(insert, 1, names[i], -1, SQLITE_STATIC);
      sqlite3_bind_blob64(insert, 2, data, size, SQLITE_STATIC);
      sqlite3_bind_text(insert, 3, date, -1, SQLITE_STATIC);
      failed = sqlite3_step(insert) != SQLITE_DONE;
      sqlite3_reset(insert);
      failed = failed || sqlite3_exec(db, "COMMIT", NULL, NULL, NULL) != SQLITE_OK;
    }
    free(data);
  }
  sqlite3_finalize(insert);
  sqlite3_close(db);
  return failed;
}
