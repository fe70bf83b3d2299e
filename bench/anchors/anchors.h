/* What the benchmarks measure the library against: the same work written
   as plain C loops over SQLite and the system calls, with nothing of the
   library in between. */
#ifndef QXVB_BENCH_ANCHORS_H
#define QXVB_BENCH_ANCHORS_H

#include <sqlite3.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Export: the statement reading a stored file's data by name from the
   repository's Files table; 0 on success. */
int anchorOpenExport(const char* database, sqlite3** db, sqlite3_stmt** select);
/* Writes the data of the stored file into target (created or truncated);
   0 on success. */
int anchorExportOne(sqlite3_stmt* select, const char* name, const char* target);

/* Import: each file read whole and inserted as a row of the Files table,
   in a transaction of its own (BEGIN IMMEDIATE, INSERT, COMMIT), with the
   database's own journal and synchronous settings; 0 on success. */
int anchorImportFiles(const char* database, const char* const* paths, const char* const* names,
                      size_t count);

/* Base64: a table-driven scalar decoder that skips line breaks. Returns the
   number of bytes written to out (room for text_size / 4 * 3 bytes). */
size_t anchorDecodeBase64(const char* text, size_t text_size, uint8_t* out);

#ifdef __cplusplus
}
#endif

#endif
